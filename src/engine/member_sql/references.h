// Scanners for `{{ ... }}` template references.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The first `{{ ... }}` reference (braces excluded from its content, surrounding white space
// trimmed) whose content does not begin with "variables.", or nothing.
std::optional<std::string> first_unresolved_reference(std::string_view sql);

}  // namespace orvane
