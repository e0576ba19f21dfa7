// The graph of views connected through shared entities.
#pragma once

#include "schema/models/semantic_layer.h"

namespace orvane {

struct JoinGraph {};

JoinGraph build_join_graph(const SemanticLayer& layer);

}  // namespace orvane
