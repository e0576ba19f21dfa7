// The columns of a statement: one per requested dimension, time dimension and measure.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/member_sql/entity_map.h"
#include "engine/query/request.h"
#include "engine/sql_generator/generator_context.h"
#include "engine/sql_generator/statement.h"

namespace orvane {

// A requested time dimension after its column: the expression (converted to the request's time
// zone for datetime dimensions) and the resolved date range, for the WHERE condition later.
struct PreparedTimeDimension {
  const TimeDimensionQuery* query = nullptr;
  std::string expression;
  std::optional<std::vector<std::string>> date_range;
};

// Each appends a select item and its output column for the member `path` names, or throws a
// query error. The path becomes the column's member.
void add_dimension_item(GeneratorContext& context, std::string path, const Dimension& dimension,
                        const EntityMap& entities, Statement& statement);
// Selects nothing for a time dimension without a granularity.
PreparedTimeDimension add_time_dimension_item(GeneratorContext& context,
                                              const TimeDimensionQuery& query,
                                              const Dimension& dimension,
                                              const std::optional<std::string>& timezone,
                                              const EntityMap& entities, Statement& statement);
void add_measure_item(GeneratorContext& context, std::string path, const Measure& measure,
                      const EntityMap& entities, Statement& statement);

// The output column an order entry names: the first with that member, else the first time
// dimension whose member without its granularity is `id`.
const OutputColumn* find_order_column(const std::vector<OutputColumn>& columns,
                                      std::string_view id);

}  // namespace orvane
