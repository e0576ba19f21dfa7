#include "engine/query/date_range.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <limits>
#include <utility>

#include "common/failure.h"
#include "common/list_notation.h"
#include "common/unicode.h"

namespace orvane {
namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

using DatePair = std::pair<sys_days, sys_days>;

// Dates are written with four-digit years; a start before year 0 cannot be written.
constexpr int kEarliestYear = 0;

// Today's date in the host's local time zone, from the clock as it reads now; the zone setting
// is read again as well, so a changed TZ takes effect.
year_month_day local_today() {
  std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  tzset();
  std::tm local{};
  localtime_r(&now, &local);
  return year_month_day{std::chrono::year{local.tm_year + 1900},
                        std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                        std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

std::string format_date(sys_days date) {
  year_month_day ymd{date};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
  return text;
}

sys_days first_of_month(year_month_day date) {
  return sys_days{date.year() / date.month() / std::chrono::day{1}};
}

sys_days first_of_quarter(year_month_day date) {
  unsigned quarter_month = (static_cast<unsigned>(date.month()) - 1) / 3 * 3 + 1;
  return sys_days{date.year() / std::chrono::month{quarter_month} / std::chrono::day{1}};
}

sys_days months_later(sys_days first_of_month, int count) {
  return sys_days{year_month_day{first_of_month} + std::chrono::months{count}};
}

sys_days monday_of_week(sys_days date) {
  unsigned since_monday = std::chrono::weekday{date}.iso_encoding() - 1;
  return date - days{since_monday};
}

// The fixed phrases, each a period relative to today.
std::optional<DatePair> resolve_named_period(std::string_view phrase, year_month_day today) {
  sys_days t{today};
  if (phrase == "today") return DatePair{t, t};
  if (phrase == "yesterday") return DatePair{t - days{1}, t - days{1}};
  sys_days monday = monday_of_week(t);
  if (phrase == "this week") return DatePair{monday, monday + days{6}};
  if (phrase == "last week") return DatePair{monday - days{7}, monday - days{1}};
  sys_days month_start = first_of_month(today);
  if (phrase == "this month") return DatePair{month_start, months_later(month_start, 1) - days{1}};
  if (phrase == "last month") return DatePair{months_later(month_start, -1), month_start - days{1}};
  sys_days quarter_start = first_of_quarter(today);
  if (phrase == "this quarter")
    return DatePair{quarter_start, months_later(quarter_start, 3) - days{1}};
  if (phrase == "last quarter")
    return DatePair{months_later(quarter_start, -3), quarter_start - days{1}};
  auto year = today.year();
  using std::chrono::December;
  using std::chrono::January;
  if (phrase == "this year")
    return DatePair{sys_days{year / January / 1}, sys_days{year / December / 31}};
  auto last_year = year - std::chrono::years{1};
  if (phrase == "last year")
    return DatePair{sys_days{last_year / January / 1}, sys_days{last_year / December / 31}};
  return std::nullopt;
}

// Consumes a run of at least one white-space character.
bool skip_whitespace_run(std::string_view text, std::size_t& pos) {
  std::size_t start = pos;
  while (pos < text.size()) {
    std::size_t next = pos;
    if (!is_unicode_whitespace(next_code_point(text, next))) break;
    pos = next;
  }
  return pos > start;
}

// A count of ASCII digits that fits 64 bits; a count written otherwise does not resolve.
std::optional<std::uint64_t> read_count(std::string_view text, std::size_t& pos) {
  std::size_t start = pos;
  std::uint64_t count = 0;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  bool overflow = false;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    auto digit = static_cast<std::uint64_t>(text[pos] - '0');
    if (count > (kMax - digit) / 10) overflow = true;
    count = count * 10 + digit;
  }
  if (pos == start || overflow) return std::nullopt;
  return count;
}

// The start of `last N <unit>` (N counted back from today), or nothing when the unit is not
// known or that day precedes the earliest writable date; the day of month is capped at 28 for
// months and years.
std::optional<sys_days> start_of_last(std::uint64_t count, std::string_view unit,
                                      year_month_day today) {
  sys_days t{today};
  auto available_days =
      static_cast<std::uint64_t>((t - sys_days{std::chrono::year{kEarliestYear} / 1 / 1}).count());
  if (unit == "day" || unit == "days") {
    if (count > available_days) return std::nullopt;
    return t - days{static_cast<std::int64_t>(count)};
  }
  if (unit == "week" || unit == "weeks") {
    if (count > available_days / 7) return std::nullopt;
    return t - days{static_cast<std::int64_t>(count) * 7};
  }
  auto capped_day = std::min(today.day(), std::chrono::day{28});
  auto months_since_origin =
      static_cast<std::uint64_t>(static_cast<int>(today.year()) - kEarliestYear) * 12 +
      static_cast<unsigned>(today.month()) - 1;
  if (unit == "month" || unit == "months") {
    if (count > months_since_origin) return std::nullopt;
    auto months = static_cast<int>(months_since_origin - count);
    return sys_days{std::chrono::year{kEarliestYear + months / 12} /
                    std::chrono::month{static_cast<unsigned>(months % 12 + 1)} / capped_day};
  }
  if (unit != "year" && unit != "years") return std::nullopt;
  if (count > months_since_origin / 12) return std::nullopt;
  auto start_year = today.year() - std::chrono::years{static_cast<int>(count)};
  return sys_days{start_year / today.month() / capped_day};
}

// `last N <unit>`: runs of white space between the words, ending yesterday.
std::optional<DatePair> resolve_last_n(std::string_view phrase, year_month_day today) {
  constexpr std::string_view kLast = "last";
  if (phrase.substr(0, kLast.size()) != kLast) return std::nullopt;
  std::size_t pos = kLast.size();
  if (!skip_whitespace_run(phrase, pos)) return std::nullopt;
  std::optional<std::uint64_t> count = read_count(phrase, pos);
  if (!count || !skip_whitespace_run(phrase, pos)) return std::nullopt;
  std::optional<sys_days> start = start_of_last(*count, phrase.substr(pos), today);
  if (!start) return std::nullopt;
  return DatePair{*start, sys_days{today} - days{1}};
}

}  // namespace

std::optional<std::vector<std::string>> resolve_date_range(const TimeDimensionQuery& query) {
  if (!query.date_range) return std::nullopt;
  const std::vector<std::string>& range = *query.date_range;
  if (range.size() != 1) return range;
  std::string phrase = to_lower_full(trim_unicode_whitespace(range.front()));
  year_month_day today = local_today();
  std::optional<DatePair> dates = resolve_named_period(phrase, today);
  if (!dates) dates = resolve_last_n(phrase, today);
  if (!dates) return range;
  return std::vector<std::string>{format_date(dates->first), format_date(dates->second)};
}

// A range that is present but not a start and an end would otherwise drop the condition
// silently and return an unscoped aggregate that reads like a scoped one, so it is refused.
std::optional<std::string> date_range_condition(
    Dialect dialect, std::string_view expression, const TimeDimensionQuery& query,
    const std::optional<std::vector<std::string>>& resolved, std::vector<std::string>& params) {
  if (!resolved) return std::nullopt;
  if (resolved->size() != 2)
    throw query_error("Time dimension '" + query.dimension + "' has a date_range " +
                      list_notation(query.date_range.value_or(*resolved)) +
                      " that does not resolve to a start and an end date. Give two dates "
                      "(YYYY-MM-DD) or one relative phrase such as 'last 7 days' or 'this month'.");
  std::string condition;
  condition.reserve(2 * expression.size() + 32);
  condition.append(expression).append(" >= ");
  params.push_back((*resolved)[0]);
  append_placeholder(condition, dialect, params.size() - 1);
  condition.append(" AND ").append(expression).append(" <= ");
  params.push_back((*resolved)[1]);
  append_placeholder(condition, dialect, params.size() - 1);
  return condition;
}

void check_time_dimension(const TimeDimensionQuery& query,
                          const std::optional<std::vector<std::string>>& resolved) {
  if (!query.granularity && !resolved)
    throw query_error("Time dimension '" + query.dimension +
                      "' has neither a granularity nor a date_range, so it would not affect the "
                      "query at all. Set a granularity to group by it, set a date_range to filter "
                      "by it, or drop it -- otherwise the result is an unscoped aggregate that "
                      "reads like a scoped one.");
}

std::optional<CalendarUnit> parse_calendar_unit(std::string_view text) {
  std::string name = to_lower_full(trim_unicode_whitespace(text));
  if (!name.empty() && name.back() == 's') name.pop_back();
  if (name == "day") return CalendarUnit::Day;
  if (name == "week") return CalendarUnit::Week;
  if (name == "month") return CalendarUnit::Month;
  if (name == "quarter") return CalendarUnit::Quarter;
  if (name == "year") return CalendarUnit::Year;
  return std::nullopt;
}

}  // namespace orvane
