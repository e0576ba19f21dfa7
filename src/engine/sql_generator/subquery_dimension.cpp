#include "engine/sql_generator/subquery_dimension.h"

#include "common/failure.h"
#include "common/unicode.h"
#include "engine/evaluator/member_path.h"
#include "engine/member_sql/render_template.h"
#include "engine/sql_generator/from_source.h"
#include "engine/sql_generator/measure_sql.h"

namespace orvane {
namespace {

// Only a braced reference is unwrapped and trimmed; any other text is the path exactly as written.
std::string_view referenced_measure_path(std::string_view expression) {
  if (expression.size() >= 4 && expression.substr(0, 2) == "{{" &&
      expression.substr(expression.size() - 2) == "}}")
    return trim_unicode_whitespace(expression.substr(2, expression.size() - 4));
  return expression;
}

const Relationship* first_relationship_to(const Engine& engine, std::string_view from,
                                          std::string_view to) {
  for (const Relationship* relationship : engine.join_graph().relationships_of(from))
    if (relationship->to == to) return relationship;
  return nullptr;
}

// Equates the measure view's keys with the dimension view's, along the first relationship from
// the dimension's view to the measure's, else back from the measure's view.
std::string correlation(GeneratorContext& context, std::string_view view, std::string_view alias,
                        std::string_view measure_view) {
  std::string condition;
  auto add = [&](std::string_view measure_key, std::string_view view_key) {
    if (!condition.empty()) condition.append(" AND ");
    condition.append(key_expression(context, measure_view, measure_key, measure_view))
        .append(" = ")
        .append(key_expression(context, view, view_key, alias));
  };
  if (const Relationship* out = first_relationship_to(context.engine, view, measure_view)) {
    require_key_pairs(*out);
    for (const auto& [left, right] : out->key_pairs) add(right, left);
    return condition;
  }
  if (const Relationship* back = first_relationship_to(context.engine, measure_view, view)) {
    require_key_pairs(*back);
    for (const auto& [left, right] : back->key_pairs) add(left, right);
    return condition;
  }
  throw join_error("No join path found between '" + std::string(alias) + "' and '" +
                   std::string(measure_view) + "' for subquery dimension");
}

}  // namespace

std::string subquery_dimension_sql(GeneratorContext& context, const Dimension& dimension,
                                   std::string_view view, std::string_view alias) {
  std::string_view path = referenced_measure_path(dimension.expr);
  MemberPath target = parse_member_path(path);
  const Measure* measure = find_measure(context.engine, target.view, target.member);
  if (!measure)
    throw query_error("Subquery dimension references measure '" + std::string(path) +
                      "' which was not found");
  const View* measure_view = context.engine.find_view(target.view);
  if (!measure_view)
    throw query_error("View '" + std::string(target.view) + "' not found for subquery dimension");

  std::string aggregate = measure_sql(context, target.view, *measure, no_entities());
  std::string condition = correlation(context, view, alias, target.view);
  std::string out = "(SELECT ";
  out.append(aggregate)
      .append(" FROM ")
      .append(from_source(context.dialect, *measure_view))
      .append(" AS ")
      .append(quote_identifier(context.dialect, target.view))
      .append(" WHERE ")
      .append(condition)
      .append(")");
  return out;
}

}  // namespace orvane
