// Placeholder until schema validation lands.
#include "common/failure.h"
#include "schema/validation/validation.h"

namespace orvane {

void validate_schema(const SemanticLayer&) {
  throw Failure("schema validation is not built yet");
}

}  // namespace orvane
