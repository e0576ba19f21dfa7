// Validation warnings: written straight to the process's standard error.
#pragma once

#include <string_view>

namespace orvane {

// Writes the text to file descriptor 2 in one write where the system allows, bypassing every
// buffer, so each warning appears whole and once even when Python has redirected sys.stderr.
// A failed write is ignored: a warning never fails a call.
void write_warning(std::string_view text);

}  // namespace orvane
