#include "engine/sql_generator/operator_condition.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <optional>

#include "common/failure.h"
#include "common/unicode.h"

namespace orvane {
namespace {

using Op = FilterOperator;

struct Binder {
  Dialect dialect;
  std::vector<std::string>& params;

  // Binds `value` and appends its placeholder.
  void append(std::string& out, std::string value) {
    params.push_back(std::move(value));
    append_placeholder(out, dialect, params.size() - 1);
  }
};

// "member op placeholder", binding `value`.
void append_comparison(std::string& out, std::string_view member, std::string_view op,
                       Binder& binder, std::string value) {
  out.append(member).append(" ").append(op).append(" ");
  binder.append(out, std::move(value));
}

// equals / notEquals: one value compares, several form a list.
void append_membership(std::string& out, Binder& binder, std::string_view member,
                       const std::vector<std::string>& values, bool negated) {
  if (values.size() == 1)
    return append_comparison(out, member, negated ? "<>" : "=", binder, values[0]);
  out.append(member).append(negated ? " NOT IN (" : " IN (");
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) out.append(", ");
    binder.append(out, values[i]);
  }
  out.append(")");
}

struct LikePattern {
  std::string_view prefix, suffix;
  bool negated;
};

std::optional<LikePattern> like_pattern(Op op) {
  switch (op) {
    case Op::Contains:
      return LikePattern{"%", "%", false};
    case Op::NotContains:
      return LikePattern{"%", "%", true};
    case Op::StartsWith:
      return LikePattern{"", "%", false};
    case Op::NotStartsWith:
      return LikePattern{"", "%", true};
    case Op::EndsWith:
      return LikePattern{"%", "", false};
    case Op::NotEndsWith:
      return LikePattern{"%", "", true};
    default:
      return std::nullopt;
  }
}

// One LIKE per value, each bound before the next; always parenthesised.
void append_like_condition(std::string& out, Binder& binder, std::string_view member,
                           const std::vector<std::string>& values, const LikePattern& pattern) {
  out.append("(");
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) out.append(pattern.negated ? " AND " : " OR ");
    std::string value;
    value.reserve(values[i].size() + 2);
    value.append(pattern.prefix).append(values[i]).append(pattern.suffix);
    append_comparison(out, member, pattern.negated ? "NOT LIKE" : "LIKE", binder, std::move(value));
  }
  out.append(")");
}

std::optional<std::string_view> single_value_comparison(Op op) {
  switch (op) {
    case Op::Gt:
    case Op::AfterDate:
      return ">";
    case Op::Gte:
    case Op::AfterOrOnDate:
      return ">=";
    case Op::Lt:
    case Op::BeforeDate:
      return "<";
    case Op::Lte:
    case Op::BeforeOrOnDate:
      return "<=";
    default:
      return std::nullopt;
  }
}

std::optional<int> read_number(std::string_view text) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// The day after a "year-month-day" date, as "%Y-%m-%d"; nothing when the text is not a date.
std::optional<std::string> next_day(std::string_view text) {
  text = trim_unicode_whitespace(text);
  std::size_t first = text.find('-', 1);
  if (first == std::string_view::npos) return std::nullopt;
  std::size_t second = text.find('-', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  std::string_view month_text = text.substr(first + 1, second - first - 1);
  std::string_view day_text = text.substr(second + 1);
  if (month_text.size() > 2 || day_text.size() > 2) return std::nullopt;
  auto year = read_number(text.substr(0, first));
  auto month = read_number(month_text);
  auto day = read_number(day_text);
  if (!year || !month || !day || *month < 1 || *day < 1 || *year < 0 || *year > 9999)
    return std::nullopt;
  std::chrono::year_month_day date{std::chrono::year(*year),
                                   std::chrono::month(static_cast<unsigned>(*month)),
                                   std::chrono::day(static_cast<unsigned>(*day))};
  if (!date.ok()) return std::nullopt;
  std::chrono::year_month_day next{std::chrono::sys_days(date) + std::chrono::days(1)};
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", static_cast<int>(next.year()),
                static_cast<unsigned>(next.month()), static_cast<unsigned>(next.day()));
  return std::string(buffer);
}

void append_date_range(std::string& out, Binder& binder, std::string_view member,
                       const std::vector<std::string>& values, bool negated) {
  if (values.size() != 2)
    throw query_error(negated ? "notInDateRange requires exactly 2 values"
                              : "inDateRange requires exactly 2 values");
  if (negated) {
    out.append("(");
    append_comparison(out, member, "<", binder, values[0]);
    out.append(" OR ");
    append_comparison(out, member, ">", binder, values[1]);
    out.append(")");
    return;
  }
  append_comparison(out, member, ">=", binder, values[0]);
  out.append(" AND ");
  append_comparison(out, member, "<=", binder, values[1]);
}

void append_on_the_date(std::string& out, Binder& binder, std::string_view member,
                        const std::string& value) {
  append_comparison(out, member, ">=", binder, value);
  out.append(" AND ");
  append_comparison(out, member, "<", binder, next_day(value).value_or(value));
}

[[noreturn]] void missing_values(std::string_view member_path, Op op, std::string_view needed) {
  throw query_error("Filter on '" + std::string(member_path) + "' with operator '" +
                    std::string(spelling(op)) + "' has no values: it needs " + std::string(needed) +
                    ".");
}

}  // namespace

void append_operator_condition(std::string& out, Dialect dialect, std::string_view member_sql,
                               FilterOperator op, const std::vector<std::string>& values,
                               std::vector<std::string>& params, std::string_view member_path) {
  Binder binder{dialect, params};
  if (op == Op::Set) {
    out.append(member_sql).append(" IS NOT NULL");
    return;
  }
  if (op == Op::NotSet) {
    out.append(member_sql).append(" IS NULL");
    return;
  }
  if (op == Op::InDateRange || op == Op::NotInDateRange)
    return append_date_range(out, binder, member_sql, values, op == Op::NotInDateRange);
  if (op == Op::Equals || op == Op::NotEquals) {
    if (values.empty()) missing_values(member_path, op, "at least one value");
    return append_membership(out, binder, member_sql, values, op == Op::NotEquals);
  }
  if (auto pattern = like_pattern(op)) {
    if (values.empty()) missing_values(member_path, op, "at least one value");
    return append_like_condition(out, binder, member_sql, values, *pattern);
  }
  if (values.empty()) missing_values(member_path, op, "a value");
  if (op == Op::OnTheDate) return append_on_the_date(out, binder, member_sql, values[0]);
  append_comparison(out, member_sql, *single_value_comparison(op), binder, values[0]);
}

}  // namespace orvane
