// The engine: everything generation reads, built once per compile call.
#pragma once

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

// Validates the schema, which leaves the promotion index, then builds the member index: a
// constructor, so that a compile keeps its engine in place rather than on the heap. Throws an
// EngineError. Neither copied nor moved: views_by_name and the indexes point into the layer.
struct Engine {
  Engine(SemanticLayer schema, Dialect sql_dialect);
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

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

}  // namespace orvane
