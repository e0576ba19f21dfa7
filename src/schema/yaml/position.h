// The position suffix of the YAML reader's own messages.
#pragma once

#include <string>

#include "schema/yaml/document.h"

namespace orvane::yaml {

// " at line {} column {}".
inline std::string at(Mark mark) {
  return " at line " + std::to_string(mark.line) + " column " + std::to_string(mark.column);
}

}  // namespace orvane::yaml
