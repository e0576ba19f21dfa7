// Reading a query request from YAML: the fields, defaults and value forms of the query JSON,
// with scalars typed by the core schema (a plain 5 is a number, never the text 5).
#pragma once

#include "engine/query/request.h"
#include "schema/yaml/reader.h"

namespace orvane {

// Reads a request mapping, or its positional sequence of field values. Keys that are not
// request fields are ignored, so a saved query's own keys can share the mapping. Throws Failure.
QueryRequest read_query_request(const yaml::Reader& reader, const yaml::Node& node);

}  // namespace orvane
