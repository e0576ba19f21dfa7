// Every member a request selects must exist before any SQL is built.
#pragma once

#include "engine/mod/engine.h"
#include "engine/query/request.h"

namespace orvane {

// Measures, then dimensions, time dimensions and segments; the first missing member is a query
// error naming it and its view. Filter members are checked when filters compile.
void check_member_references(const Engine& engine, const QueryRequest& request);

}  // namespace orvane
