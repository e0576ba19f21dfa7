#include "engine/mod/engine.h"

#include <utility>

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

// The layer moves in first: the promotion index and the view names validation leaves hold
// views into it.
Engine::Engine(SemanticLayer schema, Dialect sql_dialect)
    : layer(std::move(schema)), dialect(sql_dialect) {
  try {
    validate_schema(layer, &induced_measures, &views_by_name);
  } catch (const EngineError&) {
    throw;
  } catch (const Failure& failure) {
    throw schema_error(std::string(failure.message()));
  }
  member_index = MemberIndex::build(layer, views_by_name);
}

}  // namespace orvane
