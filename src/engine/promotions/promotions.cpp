#include "engine/promotions/promotions.h"

namespace orvane {

// No promotion yet: no view receives measures it does not declare.
InducedMeasureIndex analyse_promotions(const SemanticLayer&, const JoinGraph&) {
  return {};
}

}  // namespace orvane
