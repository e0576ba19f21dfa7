#include "engine/query/request.h"

#include <array>

namespace orvane {
namespace {

constexpr std::array<std::string_view, kFilterOperatorCount> kOperatorSpellings = {
    "equals",      "notEquals",
    "contains",    "notContains",
    "startsWith",  "notStartsWith",
    "endsWith",    "notEndsWith",
    "gt",          "gte",
    "lt",          "lte",
    "set",         "notSet",
    "inDateRange", "notInDateRange",
    "beforeDate",  "beforeOrOnDate",
    "afterDate",   "afterOrOnDate",
    "onTheDate"};

}  // namespace

std::string_view spelling(FilterOperator op) {
  return kOperatorSpellings[static_cast<int>(op)];
}

std::span<const std::string_view> filter_operator_spellings() {
  return kOperatorSpellings;
}

std::optional<FilterOperator> filter_operator_named(std::string_view name) {
  for (int i = 0; i < kFilterOperatorCount; ++i)
    if (kOperatorSpellings[i] == name) return static_cast<FilterOperator>(i);
  return std::nullopt;
}

}  // namespace orvane
