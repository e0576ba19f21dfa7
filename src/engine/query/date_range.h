// Date ranges of time dimensions: relative phrases resolved against today's local date, and the
// WHERE condition they become.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dialect/dialect.h"
#include "engine/query/request.h"

namespace orvane {

// Absent without a date_range; a relative phrase becomes two "%Y-%m-%d" dates; any other list is
// returned unchanged. Reads the host's local date afresh on every call.
std::optional<std::vector<std::string>> resolve_date_range(const TimeDimensionQuery& query);

// "E >= start AND E <= end" with both dates bound through the dialect, or nothing when the query
// has no date_range. A date_range that did not resolve to exactly two values is a query error
// naming the time dimension and the range.
std::optional<std::string> date_range_condition(
    Dialect dialect, std::string_view expression, const TimeDimensionQuery& query,
    const std::optional<std::vector<std::string>>& resolved, std::vector<std::string>& params);

// A time dimension must group (granularity) or filter (date_range); otherwise a query error.
void check_time_dimension(const TimeDimensionQuery& query,
                          const std::optional<std::vector<std::string>>& resolved);

enum class CalendarUnit { Day, Week, Month, Quarter, Year };

// Trimmed, lower-cased, one trailing "s" dropped, then matched against the five unit names.
std::optional<CalendarUnit> parse_calendar_unit(std::string_view text);

}  // namespace orvane
