#include "engine/sql_generator/filter_sql.h"

#include "common/failure.h"
#include "common/unicode.h"
#include "engine/evaluator/member_path.h"
#include "engine/member_sql/render_template.h"
#include "engine/sql_generator/measure_sql.h"
#include "engine/sql_generator/operator_condition.h"
#include "engine/sql_generator/subquery_dimension.h"

namespace orvane {
namespace {

// "true"/"1" and "false"/"0" (trimmed, ASCII case ignored) become SQL literals.
std::optional<std::string_view> boolean_literal(std::string_view value) {
  std::string_view trimmed = trim_unicode_whitespace(value);
  if (trimmed.size() > 5) return std::nullopt;
  std::string lowered(trimmed);
  for (char& c : lowered)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (lowered == "true" || lowered == "1") return "true";
  if (lowered == "false" || lowered == "0") return "false";
  return std::nullopt;
}

// Appends the literal comparison and returns true when the shortcut applies.
bool append_boolean_shortcut(const Dimension& dimension, const QueryFilter& filter,
                             std::string_view member_sql, std::string& out) {
  if (dimension.type != DimensionType::Boolean || filter.values.size() != 1) return false;
  if (*filter.op != FilterOperator::Equals && *filter.op != FilterOperator::NotEquals) return false;
  auto literal = boolean_literal(filter.values.front());
  if (!literal) return false;
  out.append(member_sql)
      .append(*filter.op == FilterOperator::Equals ? " = " : " <> ")
      .append(*literal);
  return true;
}

// `names_measure` tells whether the filter's member is a measure. The condition is never empty.
void append_leaf(GeneratorContext& context, const QueryFilter& filter, bool names_measure,
                 const AliasMap& views, std::vector<std::string>& params, FilterLeaves& leaves,
                 std::string& out) {
  if (!filter.member) throw query_error("Filter must have a member");
  if (!filter.op) throw query_error("Filter must have an operator");
  const std::string& path = *filter.member;
  MemberPath member = parse_member_path(path);
  const std::string& alias = alias_in_query(views, member.view);

  if (names_measure) {
    const Measure* measure = find_measure(context.engine, member.view, member.member);
    if (!measure) throw query_error("Measure '" + path + "' not found");
    leaves.measure = true;
    std::string sql = measure_sql(context, alias, *measure, no_entities());
    return append_operator_condition(out, context.dialect, sql, *filter.op, filter.values, params,
                                     path);
  }
  const Dimension* dimension = find_dimension(context.engine, member.view, member.member);
  if (!dimension) throw query_error("Filter member '" + path + "' not found");
  leaves.dimension = true;
  // A subquery dimension filters by its correlated subquery, as it is selected; its expression
  // alone would put another view's aggregate into WHERE.
  std::string sql =
      dimension->sub_query.value_or(false)
          ? subquery_dimension_sql(context, *dimension, member.view, alias)
          : render_dimension_for_condition(context, alias, dimension->expr, no_entities());
  if (append_boolean_shortcut(*dimension, filter, sql, out)) return;
  append_operator_condition(out, context.dialect, sql, *filter.op, filter.values, params, path);
}

std::string compile_group(GeneratorContext& context, const std::vector<QueryFilter>& children,
                          std::string_view separator, const AliasMap& views,
                          std::vector<std::string>& params, FilterLeaves& leaves) {
  std::vector<std::string> parts;
  parts.reserve(children.size());
  for (const auto& child : children) {
    std::string part = compile_filter(context, child, views, params, leaves);
    if (!part.empty()) parts.push_back(std::move(part));
  }
  if (parts.empty()) return {};
  if (parts.size() == 1) return std::move(parts.front());
  std::string out = "(";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) out.append(separator);
    out.append(parts[i]);
  }
  out.append(")");
  return out;
}

bool all_measure_filters(const Engine& engine, const std::vector<QueryFilter>& filters) {
  for (const auto& filter : filters)
    if (!is_measure_filter(engine, filter)) return false;
  return true;
}

}  // namespace

std::string compile_filter(GeneratorContext& context, const QueryFilter& filter,
                           const AliasMap& views, std::vector<std::string>& params,
                           FilterLeaves& leaves) {
  if (filter.and_filters)
    return compile_group(context, *filter.and_filters, " AND ", views, params, leaves);
  if (filter.or_filters)
    return compile_group(context, *filter.or_filters, " OR ", views, params, leaves);
  const bool names_measure =
      filter.member && context.engine.member_index.is_measure(*filter.member);
  std::string out;
  append_leaf(context, filter, names_measure, views, params, leaves, out);
  return out;
}

void append_leaf_condition(GeneratorContext& context, const QueryFilter& filter,
                           bool measure_filter, const AliasMap& views,
                           std::vector<std::string>& params, FilterLeaves& leaves,
                           std::string& out) {
  // Without groups, a measure filter is exactly one whose member is a measure.
  append_leaf(context, filter, measure_filter, views, params, leaves, out);
}

bool is_measure_filter(const Engine& engine, const QueryFilter& filter) {
  if (filter.member) return engine.member_index.is_measure(*filter.member);
  if (filter.and_filters) return all_measure_filters(engine, *filter.and_filters);
  if (filter.or_filters) return all_measure_filters(engine, *filter.or_filters);
  return false;
}

void check_filter_placement(const QueryFilter& filter, const FilterLeaves& leaves, bool in_having) {
  if (leaves.measure && (leaves.dimension || !in_having)) {
    std::string named = filter.member ? " on '" + *filter.member + "'" : std::string();
    throw query_error("Filter group" + named +
                      " mixes measures and dimensions: a measure condition belongs in HAVING and "
                      "a dimension condition in WHERE, so they cannot share one group. Split it "
                      "into separate filters.");
  }
}

}  // namespace orvane
