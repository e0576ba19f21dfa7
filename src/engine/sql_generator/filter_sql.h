// Filters of a request as SQL conditions, with their values bound as parameters.
#pragma once

#include <string>
#include <vector>

#include "engine/query/request.h"
#include "engine/sql_generator/generator_context.h"
#include "engine/sql_generator/join_plan.h"

namespace orvane {

// Which kinds of member the leaves of a compiled filter named.
struct FilterLeaves {
  bool measure = false;
  bool dimension = false;
};

// The condition of a leaf or group whose leaves may name measures (aggregated) or dimensions;
// empty when a group has nothing to say. Views must be among `views`. Values are bound into
// `params`. Throws a query error.
std::string compile_filter(GeneratorContext& context, const QueryFilter& filter,
                           const AliasMap& views, std::vector<std::string>& params,
                           FilterLeaves& leaves);

// As compile_filter for a filter without `and` or `or` groups, appending its condition (never
// empty) to `out`. `measure_filter` is what is_measure_filter answers for it, so the member is
// not looked up again.
void append_leaf_condition(GeneratorContext& context, const QueryFilter& filter,
                           bool measure_filter, const AliasMap& views,
                           std::vector<std::string>& params, FilterLeaves& leaves,
                           std::string& out);

// Whether a top-level filter belongs in HAVING: its member names a measure, or (without a member)
// every child of its `and` list, else of its `or` list, is a measure filter.
bool is_measure_filter(const Engine& engine, const QueryFilter& filter);

// A condition placed in WHERE must not aggregate, and one group cannot be both: a query error.
void check_filter_placement(const QueryFilter& filter, const FilterLeaves& leaves, bool in_having);

}  // namespace orvane
