// Intervals such as "1 year": a non-negative count of calendar units.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/query/date_range.h"

namespace orvane {

struct Interval {
  std::int64_t count = 0;
  CalendarUnit unit = CalendarUnit::Day;
};

// Reads "<count> <unit>" (a shift's `by` or `maturity`). Throws Failure with the message alone;
// callers add whatever context or prefix they report it under.
Interval parse_interval(std::string_view text);

// "day", "week", "month", "quarter" or "year".
std::string_view unit_name(CalendarUnit unit);

}  // namespace orvane
