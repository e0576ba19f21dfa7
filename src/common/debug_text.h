// Texts shown inside messages exactly as they were sent, invisible characters included.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// Appends `text` with double quotes, backslashes, NUL, tab, carriage return and line feed
// escaped by a backslash, and other characters a reader could not see (controls, formats,
// surrogates, private use, unassigned, separators other than the blank, and combining marks
// that would attach to what precedes them) written as \u{hex}.
void append_debug_escaped(std::string& out, std::string_view text);

}  // namespace orvane
