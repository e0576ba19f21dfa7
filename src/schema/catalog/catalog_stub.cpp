// Placeholder until the catalog lands.
#include "common/failure.h"
#include "schema/catalog/catalog.h"

namespace orvane {

Value list_catalog(const SemanticLayer&) {
  throw Failure("the catalog is not built yet");
}

}  // namespace orvane
