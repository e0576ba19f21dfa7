#include "engine/mod/engine.h"

#include "common/failure.h"
#include "schema/validation/validation.h"

namespace orvane {

const View* Engine::find_view(std::string_view name) const {
  auto it = views_by_name.find(name);
  return it == views_by_name.end() ? nullptr : it->second;
}

const JoinGraph& Engine::join_graph() const {
  if (!join_graph_) join_graph_ = JoinGraph::build(layer);
  return *join_graph_;
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
    throw schema_error(std::string(failure.message()));
  }
  engine->views_by_name.reserve(engine->layer.views.size());
  for (const auto& view : engine->layer.views) engine->views_by_name.try_emplace(view.name, &view);
  engine->member_index = MemberIndex::build(engine->layer, engine->views_by_name);
  return engine;
}

}  // namespace orvane
