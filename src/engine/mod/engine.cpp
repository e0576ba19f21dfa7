#include "engine/mod/engine.h"

#include "common/failure.h"
#include "schema/validation/validation.h"

namespace orvane {
namespace {

std::unordered_map<std::string, std::vector<std::string>> collect_primary_key_columns(
    const SemanticLayer& layer) {
  std::unordered_map<std::string, std::vector<std::string>> columns;
  for (const auto& view : layer.views) {
    std::vector<std::string> keys;
    for (const auto& entity : view.entities) {
      if (entity.type != EntityType::Primary) continue;
      for (auto& key : entity_keys(entity)) keys.push_back(std::move(key));
    }
    if (!keys.empty()) columns.insert_or_assign(view.name, std::move(keys));
  }
  return columns;
}

}  // namespace

const View* Engine::find_view(std::string_view name) const {
  auto it = views_by_name.find(name);
  return it == views_by_name.end() ? nullptr : it->second;
}

std::unique_ptr<Engine> build_engine(SemanticLayer layer, Dialect dialect) {
  // The layer moves in first: the promotion index validation leaves holds views into it.
  auto engine = std::make_unique<Engine>();
  engine->layer = std::move(layer);
  engine->dialect = dialect;
  try {
    validate_schema(engine->layer, &engine->induced_measures);
  } catch (const EngineError&) {
    throw;
  } catch (const Failure& failure) {
    throw schema_error(failure.what());
  }
  for (const auto& view : engine->layer.views) engine->views_by_name.try_emplace(view.name, &view);
  engine->join_graph = JoinGraph::build(engine->layer);
  engine->member_index = MemberIndex::build(engine->layer);
  engine->primary_key_columns = collect_primary_key_columns(engine->layer);
  return engine;
}

}  // namespace orvane
