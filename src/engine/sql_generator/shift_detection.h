// Whether a request compares periods, which a statement of its own must compute.
#pragma once

#include <optional>
#include <string>

#include "engine/mod/engine.h"
#include "engine/query/request.h"

namespace orvane {

// The first requested measure that has a `shift`, or whose expression refers (through
// `{{ view.measure }}` references, at any depth) to a measure that has one.
std::optional<std::string> first_shift_measure(const Engine& engine, const QueryRequest& request);

}  // namespace orvane
