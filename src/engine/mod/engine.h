// The engine: everything generation reads, built once per compile call.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/dialect/dialect.h"
#include "engine/evaluator/member_index.h"
#include "engine/join_graph/join_graph.h"
#include "engine/promotions/promotions.h"
#include "schema/models/semantic_layer.h"

namespace orvane {

struct Engine {
  SemanticLayer layer;
  Dialect dialect = Dialect::Postgres;
  // First view of each name, for constant-time look-ups.
  ViewsByName views_by_name;
  MemberIndex member_index;
  InducedMeasureIndex induced_measures;

  const View* find_view(std::string_view name) const;
  // The join graph, built on first use: a query over one view never needs it, and building it
  // costs a few allocations for every entity of every view.
  const JoinGraph& join_graph() const;

 private:
  mutable std::optional<JoinGraph> join_graph_;
};

// Validates the schema, which leaves the promotion index, then builds the member index. Throws
// an EngineError. The engine must not be copied or moved after construction (views_by_name and
// the indexes point into the layer), hence the unique result.
std::unique_ptr<Engine> build_engine(SemanticLayer layer, Dialect dialect);

}  // namespace orvane
