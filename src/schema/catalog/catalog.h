// The catalog: one entry per semantic object, in a fixed order.
#pragma once

#include "common/value.h"
#include "schema/models/semantic_layer.h"

namespace orvane {

// An array of objects, each with its keys in ascending byte order. Never validates.
Value list_catalog(const SemanticLayer& layer);

}  // namespace orvane
