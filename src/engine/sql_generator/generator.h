// The generator entry: checks the request's references and picks the strategy that builds SQL.
#pragma once

#include "engine/mod/compile_result.h"
#include "engine/mod/engine.h"
#include "engine/query/request.h"

namespace orvane {

// Returns a result whose default_limit_applied is false; throws an EngineError. The request is
// consumed: its member paths move into the output columns.
CompileResult generate_sql(const Engine& engine, QueryRequest request);

}  // namespace orvane
