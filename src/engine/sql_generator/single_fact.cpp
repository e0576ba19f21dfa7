#include "engine/sql_generator/single_fact.h"

#include "common/failure.h"
#include "engine/evaluator/member_path.h"
#include "engine/member_sql/render_template.h"
#include "engine/query/date_range.h"
#include "engine/sql_generator/filter_sql.h"
#include "engine/sql_generator/select_items.h"
#include "engine/sql_generator/statement.h"

namespace orvane {
namespace {

constexpr std::string_view kAnd = "\n  AND ";

// Segments, filters and date ranges restrict rows but select nothing; a SELECT without columns
// is not SQL, so such a request is refused rather than compiled into a broken statement.
void reject_empty_projection(const Statement& statement) {
  if (statement.items == 0)
    throw query_error(
        "Query selects no columns: add a measure, a dimension, or a time dimension with a "
        "granularity. Segments, filters and date ranges only restrict rows.");
}

// Each filter lands in HAVING when it is a measure filter, else in WHERE. With "?" placeholders
// HAVING values are bound apart so that they follow every WHERE value.
void add_filter_conditions(GeneratorContext& context, const QueryRequest& request,
                           Statement& statement) {
  for (const auto& filter : request.filters) {
    const bool in_having = is_measure_filter(context.engine, filter);
    auto& params = in_having ? statement.params_for_having(context.dialect) : statement.params;
    JoinedText& conditions = in_having ? statement.having : statement.where;
    FilterLeaves leaves;
    if (!filter.and_filters && !filter.or_filters) {
      append_leaf_condition(context, filter, in_having, statement.plan.aliases, params, leaves,
                            conditions.next(kAnd));
      check_filter_placement(filter, leaves, in_having);
      continue;
    }
    std::string condition = compile_filter(context, filter, statement.plan.aliases, params, leaves);
    check_filter_placement(filter, leaves, in_having);
    if (!condition.empty()) conditions.next(kAnd).append(condition);
  }
}

void add_segment_conditions(GeneratorContext& context, const QueryRequest& request,
                            const RequestMembers& members, const EntityMap& entities,
                            Statement& statement) {
  for (std::size_t i = 0; i < request.segments.size(); ++i) {
    const std::string& alias =
        alias_in_query(statement.plan.aliases, view_part(request.segments[i]));
    append_rendered(context, alias, members.segment(i).segment->expr, entities,
                    statement.where.next(kAnd));
  }
}

void add_date_range_conditions(GeneratorContext& context,
                               const std::vector<PreparedTimeDimension>& time_dimensions,
                               Statement& statement) {
  for (const auto& prepared : time_dimensions) {
    if (!prepared.date_range) continue;
    auto condition = date_range_condition(context.dialect, prepared.expression, *prepared.query,
                                          prepared.date_range, statement.params);
    if (condition) statement.where.next(kAnd).append(*condition);
  }
}

void add_order_items(GeneratorContext& context, const QueryRequest& request, Statement& statement) {
  for (const auto& order : request.order) {
    const OutputColumn* column = find_order_column(statement.columns, order.id);
    if (!column) throw query_error("order field '" + order.id + "' is not projected by this query");
    std::string& text = statement.order_by.next(", ");
    append_quoted_identifier(text, context.dialect, column->alias);
    text.append(order.desc ? " DESC" : " ASC");
  }
}

// The values the filters bind, at any depth: room for the parameters, most often exactly.
std::size_t filter_values(const std::vector<QueryFilter>& filters) {
  std::size_t count = 0;
  for (const auto& filter : filters) {
    count += filter.values.size();
    if (filter.and_filters) count += filter_values(*filter.and_filters);
    if (filter.or_filters) count += filter_values(*filter.or_filters);
  }
  return count;
}

}  // namespace

CompileResult generate_single_fact(GeneratorContext& context, QueryRequest& request,
                                   const RequestMembers& members, JoinPlan plan,
                                   const EntityMap& entities) {
  const std::size_t columns =
      request.dimensions.size() + request.time_dimensions.size() + request.measures.size();
  const std::size_t conditions =
      request.filters.size() + request.segments.size() + request.time_dimensions.size();
  Statement statement(columns, conditions);
  statement.plan = std::move(plan);
  statement.columns.reserve(columns);
  statement.params.reserve(filter_values(request.filters) + 2 * request.time_dimensions.size());

  for (std::size_t i = 0; i < request.dimensions.size(); ++i)
    add_dimension_item(context, std::move(request.dimensions[i]), *members.dimension(i).dimension,
                       entities, statement);
  std::vector<PreparedTimeDimension> time_dimensions;
  time_dimensions.reserve(request.time_dimensions.size());
  for (std::size_t i = 0; i < request.time_dimensions.size(); ++i)
    time_dimensions.push_back(add_time_dimension_item(context, request.time_dimensions[i],
                                                      *members.time_dimension(i).dimension,
                                                      request.timezone, entities, statement));
  for (std::size_t i = 0; i < request.measures.size(); ++i)
    add_measure_item(context, std::move(request.measures[i]), *members.measure(i).measure, entities,
                     statement);
  reject_empty_projection(statement);

  add_filter_conditions(context, request, statement);
  add_segment_conditions(context, request, members, entities, statement);
  add_date_range_conditions(context, time_dimensions, statement);
  add_order_items(context, request, statement);

  if (request.motif)
    throw sql_generation_error("motifs are not supported yet: the query names motif '" +
                               *request.motif + "', which this version cannot compile");

  CompileResult result;
  result.sql = complete_statement(context, statement, request);
  result.params = statement.take_params();
  result.columns = std::move(statement.columns);
  return result;
}

}  // namespace orvane
