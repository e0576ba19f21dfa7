// The compile pipeline: document texts, query text and dialect name in; SQL and metadata out.
#pragma once

#include <string_view>

#include "engine/mod/compile_result.h"
#include "schema/parser/loader.h"

namespace orvane {

// Throws Failure (or EngineError) with the message the caller reads.
CompileResult compile_query(const DocumentTexts& documents, std::string_view query_json,
                            std::string_view dialect_name);

}  // namespace orvane
