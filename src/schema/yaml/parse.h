// Reading a YAML text into a Document with libyaml.
#pragma once

#include <string_view>

#include "schema/yaml/document.h"

namespace orvane::yaml {

// Reads a text that must hold exactly one YAML document. Malformed YAML, a second document, an
// empty stream and anything beyond the bounds of limits.h throw Failure; the reader's own
// messages end in " at line {} column {}" where a position is known.
Document parse_document(std::string_view text);

}  // namespace orvane::yaml
