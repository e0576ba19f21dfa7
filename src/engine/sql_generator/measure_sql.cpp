#include "engine/sql_generator/measure_sql.h"

#include <charconv>
#include <cstdint>

#include "common/failure.h"
#include "common/unicode.h"
#include "engine/member_sql/render_template.h"

namespace orvane {
namespace {

std::string wrap(std::string_view head, std::string_view inner, std::string_view tail = ")") {
  std::string out;
  out.reserve(head.size() + inner.size() + tail.size());
  out.append(head).append(inner).append(tail);
  return out;
}

bool has_filters(const Measure& measure) {
  return measure.filters && !measure.filters->empty();
}

// The measure's value per row: its expression (or "*"), under CASE WHEN for measure filters.
std::string filtered_expression(GeneratorContext& context, std::string_view alias,
                                const Measure& measure, const EntityMap& entities) {
  std::string base =
      measure.expr ? render_template(context, alias, *measure.expr, entities) : std::string("*");
  if (!has_filters(measure)) return base;
  std::string conditions;
  for (const auto& filter : *measure.filters) {
    if (!conditions.empty()) conditions.append(" AND ");
    conditions.append(render_template(context, alias, filter.expr, entities));
  }
  std::string out = "CASE WHEN ";
  out.append(conditions);
  if (base == "*")
    out.append(" THEN 1 END");
  else
    out.append(" THEN ").append(base).append(" END");
  return out;
}

// The aggregate call for the types that aggregate.
std::string aggregate(Dialect dialect, MeasureType type, std::string_view value) {
  switch (type) {
    case MeasureType::Count:
      return wrap("COUNT(", value);
    case MeasureType::Sum:
      return wrap("SUM(", value);
    case MeasureType::Average:
      return wrap("AVG(", value);
    case MeasureType::Min:
      return wrap("MIN(", value);
    case MeasureType::Max:
      return wrap("MAX(", value);
    case MeasureType::CountDistinct:
      return wrap("COUNT(DISTINCT ", value);
    case MeasureType::CountDistinctApprox:
      return approximate_count_distinct(dialect, value);
    case MeasureType::Median:
      return wrap("PERCENTILE_CONT(0.5) WITHIN GROUP (ORDER BY ", value);
    case MeasureType::Custom:
    case MeasureType::Number:
      break;
  }
  return std::string(value);
}

bool passes_through(MeasureType type) {
  return type == MeasureType::Custom || type == MeasureType::Number;
}

std::string pass_through(GeneratorContext& context, std::string_view alias, const Measure& measure,
                         const EntityMap& entities, std::string_view missing_message) {
  if (!measure.expr) throw sql_generation_error(std::string(missing_message));
  return render_template(context, alias, *measure.expr, entities);
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

std::string rolling_sql(GeneratorContext& context, std::string_view alias, const Measure& measure,
                        const EntityMap& entities) {
  std::string inner =
      passes_through(measure.type)
          ? pass_through(context, alias, measure, entities, "Pass-through measure requires an expr")
          : aggregate(context.dialect, measure.type,
                      filtered_expression(context, alias, measure, entities));
  const RollingWindow& window = *measure.rolling_window;
  std::string out = std::move(inner);
  out.append(" OVER (ORDER BY 1 ROWS BETWEEN ")
      .append(frame_bound(window.trailing, "unbounded", "UNBOUNDED PRECEDING", " PRECEDING"))
      .append(" AND ")
      .append(frame_bound(window.leading, "current row", "UNBOUNDED FOLLOWING", " FOLLOWING"))
      .append(")");
  return out;
}

}  // namespace

std::string measure_sql(GeneratorContext& context, std::string_view alias, const Measure& measure,
                        const EntityMap& entities) {
  const bool coalesced = measure.type == MeasureType::Sum && has_filters(measure);
  std::string sql;
  if (measure.rolling_window) {
    sql = rolling_sql(context, alias, measure, entities);
  } else if (measure.type == MeasureType::Custom) {
    return pass_through(context, alias, measure, entities, "Custom measure requires an expr");
  } else if (measure.type == MeasureType::Number) {
    return pass_through(context, alias, measure, entities, "Number measure requires an expr");
  } else {
    sql = aggregate(context.dialect, measure.type,
                    filtered_expression(context, alias, measure, entities));
  }
  return coalesced ? wrap("COALESCE(", sql, ", 0)") : sql;
}

}  // namespace orvane
