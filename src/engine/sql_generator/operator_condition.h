// The SQL condition of one filter operator over a member's SQL, with its values bound.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/dialect/dialect.h"
#include "engine/query/request.h"

namespace orvane {

// Appends the condition to `out`, binding the values the operator uses into `params` (never into
// the text). `member_path` names the filter in messages. Throws a query error when the operator
// lacks the values it needs.
void append_operator_condition(std::string& out, Dialect dialect, std::string_view member_sql,
                               FilterOperator op, const std::vector<std::string>& values,
                               std::vector<std::string>& params, std::string_view member_path);

}  // namespace orvane
