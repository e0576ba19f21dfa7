#include "engine/sql_generator/measure_sql.h"

#include <charconv>
#include <cstdint>

#include "common/failure.h"
#include "common/unicode.h"
#include "engine/member_sql/render_template.h"

namespace orvane {
namespace {

bool has_filters(const Measure& measure) {
  return measure.filters && !measure.filters->empty();
}

// The measure's value per row: its expression (or "*"), under CASE WHEN for measure filters.
void append_filtered_expression(GeneratorContext& context, std::string_view alias,
                                const Measure& measure, const EntityMap& entities,
                                std::string& out) {
  if (!has_filters(measure)) {
    if (measure.expr)
      append_rendered(context, alias, *measure.expr, entities, out);
    else
      out.append("*");
    return;
  }
  // The expression is rendered before the conditions, though written after them.
  std::string base =
      measure.expr ? render_template(context, alias, *measure.expr, entities) : std::string("*");
  out.append("CASE WHEN ");
  const std::size_t conditions = out.size();
  for (const auto& filter : *measure.filters) {
    if (out.size() > conditions) out.append(" AND ");
    append_rendered(context, alias, filter.expr, entities, out);
  }
  if (base == "*")
    out.append(" THEN 1 END");
  else
    out.append(" THEN ").append(base).append(" END");
}

// The opening of the aggregate call for the types that aggregate with a plain function call.
std::string_view aggregate_head(MeasureType type) {
  switch (type) {
    case MeasureType::Count:
      return "COUNT(";
    case MeasureType::Sum:
      return "SUM(";
    case MeasureType::Average:
      return "AVG(";
    case MeasureType::Min:
      return "MIN(";
    case MeasureType::Max:
      return "MAX(";
    case MeasureType::CountDistinct:
      return "COUNT(DISTINCT ";
    case MeasureType::Median:
      return "PERCENTILE_CONT(0.5) WITHIN GROUP (ORDER BY ";
    case MeasureType::CountDistinctApprox:
    case MeasureType::Custom:
    case MeasureType::Number:
      break;
  }
  return {};
}

// The aggregate call around the measure's value for the types that aggregate; the value itself
// for the others.
void append_aggregate(GeneratorContext& context, std::string_view alias, const Measure& measure,
                      const EntityMap& entities, std::string& out) {
  if (measure.type == MeasureType::CountDistinctApprox) {
    std::string value;
    append_filtered_expression(context, alias, measure, entities, value);
    out.append(approximate_count_distinct(context.dialect, value));
    return;
  }
  std::string_view head = aggregate_head(measure.type);
  out.append(head);
  append_filtered_expression(context, alias, measure, entities, out);
  if (!head.empty()) out.append(")");
}

bool passes_through(MeasureType type) {
  return type == MeasureType::Custom || type == MeasureType::Number;
}

void append_pass_through(GeneratorContext& context, std::string_view alias, const Measure& measure,
                         const EntityMap& entities, std::string_view missing_message,
                         std::string& out) {
  if (!measure.expr) throw sql_generation_error(std::string(missing_message));
  append_rendered(context, alias, *measure.expr, entities, out);
}

// "7 days" gives 7 (the unit is dropped); anything else is used as written.
std::string window_bound_size(std::string_view bound) {
  std::string_view trimmed = trim_unicode_whitespace(bound);
  std::size_t space = trimmed.find(' ');
  if (space != std::string_view::npos && trimmed.find(' ', space + 1) == std::string_view::npos) {
    std::string_view number = trimmed.substr(0, space);
    std::int64_t size = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), size);
    if (error == std::errc() && end == number.data() + number.size()) return std::to_string(size);
  }
  return std::string(bound);
}

std::string frame_bound(const std::optional<std::string>& bound, std::string_view fallback,
                        std::string_view unbounded, std::string_view direction) {
  std::string_view text = bound ? std::string_view(*bound) : fallback;
  if (text == "unbounded") return std::string(unbounded);
  if (text == "current row") return "CURRENT ROW";
  return window_bound_size(text) + std::string(direction);
}

void append_rolling(GeneratorContext& context, std::string_view alias, const Measure& measure,
                    const EntityMap& entities, std::string& out) {
  if (passes_through(measure.type))
    append_pass_through(context, alias, measure, entities, "Pass-through measure requires an expr",
                        out);
  else
    append_aggregate(context, alias, measure, entities, out);
  const RollingWindow& window = *measure.rolling_window;
  out.append(" OVER (ORDER BY 1 ROWS BETWEEN ")
      .append(frame_bound(window.trailing, "unbounded", "UNBOUNDED PRECEDING", " PRECEDING"))
      .append(" AND ")
      .append(frame_bound(window.leading, "current row", "UNBOUNDED FOLLOWING", " FOLLOWING"))
      .append(")");
}

}  // namespace

void append_measure_sql(GeneratorContext& context, std::string_view alias, const Measure& measure,
                        const EntityMap& entities, std::string& out) {
  if (!measure.rolling_window && measure.type == MeasureType::Custom)
    return append_pass_through(context, alias, measure, entities, "Custom measure requires an expr",
                               out);
  if (!measure.rolling_window && measure.type == MeasureType::Number)
    return append_pass_through(context, alias, measure, entities, "Number measure requires an expr",
                               out);
  const bool coalesced = measure.type == MeasureType::Sum && has_filters(measure);
  if (coalesced) out.append("COALESCE(");
  if (measure.rolling_window)
    append_rolling(context, alias, measure, entities, out);
  else
    append_aggregate(context, alias, measure, entities, out);
  if (coalesced) out.append(", 0)");
}

std::string measure_sql(GeneratorContext& context, std::string_view alias, const Measure& measure,
                        const EntityMap& entities) {
  std::string out;
  append_measure_sql(context, alias, measure, entities, out);
  return out;
}

}  // namespace orvane
