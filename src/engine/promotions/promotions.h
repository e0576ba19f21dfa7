// Measures a view receives from other views along entities.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/join_graph/join_graph.h"
#include "schema/models/semantic_layer.h"

namespace orvane {

struct InducedCandidate {
  std::string source;             // the view that declares the measure
  std::string measure;            // its name there
  std::vector<std::string> path;  // entity names through which it reaches the view
};

// (view name, measure name) of an induced measure -> its candidates, in order.
using InducedMeasureIndex =
    std::map<std::pair<std::string, std::string>, std::vector<InducedCandidate>, std::less<>>;

// The promotion analysis; throws an EngineError on failure.
InducedMeasureIndex analyse_promotions(const SemanticLayer& layer, const JoinGraph& graph);

}  // namespace orvane
