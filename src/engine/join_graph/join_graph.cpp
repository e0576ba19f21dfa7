#include "engine/join_graph/join_graph.h"

namespace orvane {

JoinGraph build_join_graph(const SemanticLayer&) {
  return {};
}

}  // namespace orvane
