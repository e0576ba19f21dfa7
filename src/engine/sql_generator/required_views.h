// Which views a request touches, and which a statement for it must join.
#pragma once

#include <string>
#include <vector>

#include "engine/mod/engine.h"
#include "engine/query/request.h"
#include "engine/sql_generator/reference_checks.h"

namespace orvane {

// The distinct views of every measure, dimension, time dimension, segment and filter member (at
// any depth), sorted by byte value.
std::vector<std::string> referenced_views(const QueryRequest& request);

// `start` extended, in order of discovery, by the views that the expressions of the request's
// members refer to, directly or through other members; `{{ entity.field }}` brings in the first
// view (by name) owning the entity unless one owner is already required.
// `members` are those the request's paths name, as the reference check found them.
std::vector<std::string> required_views(const Engine& engine, const QueryRequest& request,
                                        const RequestMembers& members,
                                        std::vector<std::string> start);

}  // namespace orvane
