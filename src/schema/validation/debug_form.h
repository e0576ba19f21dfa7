// The debugging form of an engine error, as validation reports a failed promotion analysis:
// the variant name and the message as an escaped, double-quoted string.
#pragma once

#include <string>

#include "common/failure.h"

namespace orvane {

// SchemaError("...") with `"` and `\` escaped, tab, line feed and carriage return written \t, \n
// and \r, and other unprintable characters written \u{hex}.
std::string debug_form(const EngineError& error);

}  // namespace orvane
