// Finds the `{{ ... }}` references inside expression templates.
#pragma once

#include <string_view>
#include <vector>

namespace orvane {

// For each `{{ name.member }}` (optional Unicode white space inside the braces, names made of
// word characters), left to right and non-overlapping: its first name.
std::vector<std::string_view> member_reference_heads(std::string_view text);

// For each `{{ name }}`, left to right and non-overlapping: the name.
std::vector<std::string_view> parameter_references(std::string_view text);

}  // namespace orvane
