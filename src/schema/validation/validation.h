// Whole-schema validation: every check runs, all error lines are collected.
#pragma once

#include <string_view>
#include <unordered_map>

#include "engine/promotions/promotions.h"
#include "schema/models/semantic_layer.h"

namespace orvane {

// Runs every check in order. Warnings are written to the process's standard error as complete
// lines. On failure throws Failure whose message is all error lines joined by line feeds, without
// a prefix (`compile` wraps it as a schema error; `validate` raises it as it is). When `induced`
// is given, the promotion check's induced-measure index is moved into it, so that engine
// construction does not analyse the same views a second time; likewise `views` receives the
// view of each name (one view per name once validation has passed).
void validate_schema(const SemanticLayer& layer, InducedMeasureIndex* induced = nullptr,
                     std::unordered_map<std::string_view, const View*>* views = nullptr);

}  // namespace orvane
