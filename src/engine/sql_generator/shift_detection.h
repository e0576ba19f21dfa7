// Whether a request compares periods, which a statement of its own must compute.
#pragma once

#include <optional>
#include <string>

#include "engine/mod/engine.h"
#include "engine/query/request.h"
#include "engine/sql_generator/reference_checks.h"

namespace orvane {

// The first requested measure that has a `shift`, or whose expression refers (through
// `{{ view.measure }}` references, at any depth) to a measure that has one.
// `members` are those the request's paths name, as the reference check found them.
std::optional<std::string> first_shift_measure(const Engine& engine, const QueryRequest& request,
                                               const RequestMembers& members);

}  // namespace orvane
