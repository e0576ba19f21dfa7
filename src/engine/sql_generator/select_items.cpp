#include "engine/sql_generator/select_items.h"

#include "common/failure.h"
#include "engine/evaluator/member_path.h"
#include "engine/member_sql/render_template.h"
#include "engine/query/date_range.h"
#include "engine/sql_generator/measure_sql.h"
#include "engine/sql_generator/subquery_dimension.h"

namespace orvane {
namespace {

void add_item(Statement& statement, std::string expression, std::string member, ColumnKind kind) {
  const bool aggregate = kind == ColumnKind::Measure;
  if (!aggregate) statement.grouping.push_back(statement.items.size());
  std::string alias = column_alias(member);
  statement.items.push_back({std::move(expression), aggregate});
  statement.columns.push_back({std::move(member), std::move(alias), kind});
}

}  // namespace

void add_dimension_item(GeneratorContext& context, std::string_view path, const EntityMap& entities,
                        Statement& statement) {
  MemberPath member = parse_member_path(path);
  const Dimension* dimension = find_dimension(context.engine, member.view, member.member);
  if (!dimension) throw query_error("Dimension not found: " + std::string(path));
  const std::string& alias = alias_in_query(statement.plan.aliases, member.view);
  std::string expression = dimension->sub_query.value_or(false)
                               ? subquery_dimension_sql(context, *dimension, member.view, alias)
                               : render_template(context, alias, dimension->expr, entities);
  add_item(statement, std::move(expression), std::string(path), ColumnKind::Dimension);
}

PreparedTimeDimension add_time_dimension_item(GeneratorContext& context,
                                              const TimeDimensionQuery& query,
                                              const std::optional<std::string>& timezone,
                                              const EntityMap& entities, Statement& statement) {
  PreparedTimeDimension prepared{&query, {}, resolve_date_range(query)};
  check_time_dimension(query, prepared.date_range);
  MemberPath member = parse_member_path(query.dimension);
  const Dimension* dimension = find_dimension(context.engine, member.view, member.member);
  if (!dimension) throw query_error("Time dimension not found: " + query.dimension);
  const std::string& alias = alias_in_query(statement.plan.aliases, member.view);
  prepared.expression = render_template(context, alias, dimension->expr, entities);
  if (dimension->type == DimensionType::Datetime && timezone)
    prepared.expression = convert_time_zone(context.dialect, prepared.expression, *timezone);
  if (query.granularity) {
    std::string member_text = query.dimension + "." + *query.granularity;
    add_item(statement,
             truncate_to_granularity(context.dialect, *query.granularity, prepared.expression),
             std::move(member_text), ColumnKind::TimeDimension);
  }
  return prepared;
}

void add_measure_item(GeneratorContext& context, std::string_view path, const EntityMap& entities,
                      Statement& statement) {
  MemberPath member = parse_member_path(path);
  const Measure* measure = find_measure(context.engine, member.view, member.member);
  if (!measure) throw query_error("Measure not found: " + std::string(path));
  const std::string& alias = alias_in_query(statement.plan.aliases, member.view);
  add_item(statement, measure_sql(context, alias, *measure, entities), std::string(path),
           ColumnKind::Measure);
}

const OutputColumn* find_order_column(const std::vector<OutputColumn>& columns,
                                      std::string_view id) {
  for (const auto& column : columns)
    if (column.member == id) return &column;
  for (const auto& column : columns) {
    if (column.kind != ColumnKind::TimeDimension) continue;
    std::string_view member = column.member;
    std::size_t dot = member.rfind('.');
    if (dot != std::string_view::npos && member.substr(0, dot) == id) return &column;
  }
  return nullptr;
}

}  // namespace orvane
