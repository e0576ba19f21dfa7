// Placeholder until the motif and saved-query readers land: those loads fail honestly.
#include "common/failure.h"
#include "schema/parser/loader.h"

namespace orvane {

Motif load_motif(std::string_view, std::string_view label) {
  throw Failure("Failed to parse motif YAML from " + std::string(label) +
                ": the motif reader is not built yet");
}
SavedQuery load_query(std::string_view, std::string_view label) {
  throw Failure("Failed to parse query YAML from " + std::string(label) +
                ": the saved-query reader is not built yet");
}

}  // namespace orvane
