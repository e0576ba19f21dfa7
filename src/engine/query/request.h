// The parsed query: what the caller asks for, as records that own their texts.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"

namespace orvane {

enum class FilterOperator {
  Equals,
  NotEquals,
  Contains,
  NotContains,
  StartsWith,
  NotStartsWith,
  EndsWith,
  NotEndsWith,
  Gt,
  Gte,
  Lt,
  Lte,
  Set,
  NotSet,
  InDateRange,
  NotInDateRange,
  BeforeDate,
  BeforeOrOnDate,
  AfterDate,
  AfterOrOnDate,
  OnTheDate
};
inline constexpr int kFilterOperatorCount = 21;

// The operator's spelling in query text ("equals", "notInDateRange", ...).
std::string_view spelling(FilterOperator op);
// Every operator's spelling, in the order of FilterOperator.
std::span<const std::string_view> filter_operator_spellings();
// The operator for an exact, case-sensitive spelling.
std::optional<FilterOperator> filter_operator_named(std::string_view name);

struct QueryFilter {
  std::optional<std::string> member;
  std::optional<FilterOperator> op;
  std::vector<std::string> values;
  // A filter is a group when either list is present, even empty.
  std::optional<std::vector<QueryFilter>> and_filters;
  std::optional<std::vector<QueryFilter>> or_filters;

  bool is_group() const { return and_filters.has_value() || or_filters.has_value(); }
};

struct TimeDimensionQuery {
  std::string dimension;
  std::optional<std::string> granularity;
  std::optional<std::vector<std::string>> date_range;
};

struct OrderBy {
  std::string id;
  bool desc = false;
};

struct QueryRequest {
  std::vector<std::string> measures;
  std::vector<std::string> dimensions;
  std::vector<QueryFilter> filters;
  std::vector<std::string> segments;
  std::vector<TimeDimensionQuery> time_dimensions;
  std::vector<OrderBy> order;
  std::optional<std::uint64_t> limit;
  std::optional<std::uint64_t> offset;
  std::optional<std::string> timezone;
  bool ungrouped = false;
  std::vector<std::string> through;
  std::optional<std::string> motif;
  std::map<std::string, Value> motif_params;  // key order is not kept
};

}  // namespace orvane
