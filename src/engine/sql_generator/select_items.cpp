#include "engine/sql_generator/select_items.h"

#include "common/failure.h"
#include "engine/evaluator/member_path.h"
#include "engine/member_sql/render_template.h"
#include "engine/query/date_range.h"
#include "engine/sql_generator/measure_sql.h"
#include "engine/sql_generator/subquery_dimension.h"

namespace orvane {

void add_dimension_item(GeneratorContext& context, std::string path, const Dimension& dimension,
                        const EntityMap& entities, Statement& statement) {
  const std::string_view view = view_part(path);
  const std::string& alias = alias_in_query(statement.plan.aliases, view);
  if (dimension.sub_query.value_or(false))
    statement.begin_item().append(subquery_dimension_sql(context, dimension, view, alias));
  else
    append_rendered(context, alias, dimension.expr, entities, statement.begin_item());
  statement.end_item(context.dialect, std::move(path), ColumnKind::Dimension);
}

PreparedTimeDimension add_time_dimension_item(GeneratorContext& context,
                                              const TimeDimensionQuery& query,
                                              const Dimension& dimension,
                                              const std::optional<std::string>& timezone,
                                              const EntityMap& entities, Statement& statement) {
  PreparedTimeDimension prepared{&query, {}, resolve_date_range(query)};
  check_time_dimension(query, prepared.date_range);
  const std::string& alias = alias_in_query(statement.plan.aliases, view_part(query.dimension));
  prepared.expression = render_template(context, alias, dimension.expr, entities);
  if (dimension.type == DimensionType::Datetime && timezone)
    prepared.expression = convert_time_zone(context.dialect, prepared.expression, *timezone);
  if (query.granularity) {
    std::string member_text;
    member_text.reserve(query.dimension.size() + 1 + query.granularity->size());
    member_text.append(query.dimension).append(".").append(*query.granularity);
    append_truncated_to_granularity(statement.begin_item(), context.dialect, *query.granularity,
                                    prepared.expression);
    statement.end_item(context.dialect, std::move(member_text), ColumnKind::TimeDimension);
  }
  return prepared;
}

void add_measure_item(GeneratorContext& context, std::string path, const Measure& measure,
                      const EntityMap& entities, Statement& statement) {
  const std::string& alias = alias_in_query(statement.plan.aliases, view_part(path));
  append_measure_sql(context, alias, measure, entities, statement.begin_item());
  statement.end_item(context.dialect, std::move(path), ColumnKind::Measure);
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
