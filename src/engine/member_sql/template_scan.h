// Scanners for the `{{ ... }}` reference forms of member expressions. Each matcher reads from a
// "{{" and reports where the reference ends; white space and word characters have their Unicode
// meanings. Every scan is one left-to-right pass, linear in the text.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

struct ReferenceMatch {
  std::size_t begin = 0;
  std::size_t end = 0;      // one past the closing braces
  std::string_view first;   // the name, or the part before the full stop
  std::string_view second;  // the part after the full stop (dotted references only)
};

// Each tries the form at `pos` and returns the match or nothing.
// {{ TABLE }}
std::optional<ReferenceMatch> match_table_reference(std::string_view text, std::size_t pos);
// {{ name }} with a run of word characters
std::optional<ReferenceMatch> match_bare_reference(std::string_view text, std::size_t pos);
// {{ first.second }} with two runs of word characters
std::optional<ReferenceMatch> match_dotted_reference(std::string_view text, std::size_t pos);

using ReferenceMatcher = std::optional<ReferenceMatch> (*)(std::string_view, std::size_t);

// The leftmost match at or after `from`.
std::optional<ReferenceMatch> find_reference(std::string_view text, std::size_t from,
                                             ReferenceMatcher matcher);

// "{{", white space, "variables.", at least one character other than "}", then "}}".
bool has_variables_reference(std::string_view text);

// The name of every bare reference, left to right, non-overlapping.
std::vector<std::string_view> bare_references(std::string_view text);

// The (first, second) parts of every dotted reference, left to right.
std::vector<std::pair<std::string_view, std::string_view>> dotted_references(std::string_view text);

}  // namespace orvane
