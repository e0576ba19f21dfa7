// Reading the query JSON text into a QueryRequest.
#pragma once

#include <string_view>

#include "engine/query/request.h"

namespace orvane {

// Parses the query text. On failure throws Failure whose message is the reader's description of
// the first problem, ending in " at line {} column {}" (the pipeline adds its own prefix).
QueryRequest parse_query_json(std::string_view text);

}  // namespace orvane
