// Placeholder until date ranges land.
#include "common/failure.h"
#include "engine/query/date_range.h"

namespace orvane {

std::optional<std::vector<std::string>> resolve_date_range(const TimeDimensionQuery& query) {
  if (query.date_range) throw query_error("date ranges are not built yet");
  return std::nullopt;
}

std::optional<std::string> date_range_condition(Dialect, std::string_view,
                                                const TimeDimensionQuery& query,
                                                const std::optional<std::vector<std::string>>&,
                                                std::vector<std::string>&) {
  if (query.date_range) throw query_error("date ranges are not built yet");
  return std::nullopt;
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

std::optional<CalendarUnit> parse_calendar_unit(std::string_view) {
  return std::nullopt;
}

}  // namespace orvane
