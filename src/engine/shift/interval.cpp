#include "engine/shift/interval.h"

#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/unicode.h"

namespace orvane {
namespace {

// Splits on runs of Unicode white space, dropping empty pieces at either end.
std::vector<std::string_view> split_on_whitespace(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t pos = 0;
  std::size_t start = std::string_view::npos;
  while (pos < text.size()) {
    const std::size_t here = pos;
    const bool space = is_unicode_whitespace(next_code_point(text, pos));
    if (space && start != std::string_view::npos) {
      parts.push_back(text.substr(start, here - start));
      start = std::string_view::npos;
    } else if (!space && start == std::string_view::npos) {
      start = here;
    }
  }
  if (start != std::string_view::npos) parts.push_back(text.substr(start));
  return parts;
}

// A signed 64-bit decimal: an optional sign, then one or more ASCII digits, nothing else.
std::optional<std::int64_t> parse_signed_decimal(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  std::string_view digits = text;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
  if (digits.empty()) return std::nullopt;
  for (char c : digits)
    if (c < '0' || c > '9') return std::nullopt;
  // from_chars takes a minus sign but not a plus sign.
  const std::string_view number = negative ? text : digits;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
  return value;
}

std::string quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

}  // namespace

Interval parse_interval(std::string_view text) {
  const auto parts = split_on_whitespace(text);
  if (parts.size() != 2)
    throw Failure("invalid interval " + quoted(text) +
                  ": expected \"<int> <unit>\" (e.g. \"1 year\")");
  const auto count = parse_signed_decimal(parts[0]);
  if (!count) throw Failure("invalid interval count " + quoted(parts[0]) + " in " + quoted(text));
  if (*count < 0) throw Failure("interval count must be non-negative, got " + quoted(text));
  const auto unit = parse_calendar_unit(parts[1]);
  if (!unit) throw Failure("unknown interval unit " + quoted(parts[1]) + " in " + quoted(text));
  return Interval{*count, *unit};
}

std::string_view unit_name(CalendarUnit unit) {
  switch (unit) {
    case CalendarUnit::Day:
      return "day";
    case CalendarUnit::Week:
      return "week";
    case CalendarUnit::Month:
      return "month";
    case CalendarUnit::Quarter:
      return "quarter";
    case CalendarUnit::Year:
      return "year";
  }
  return "day";
}

}  // namespace orvane
