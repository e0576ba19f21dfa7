// Member paths ("view.member") and the look-ups of members by path.
#pragma once

#include <string_view>

#include "engine/mod/engine.h"

namespace orvane {

// Both parts point into the parsed text, which must outlive the path.
struct MemberPath {
  std::string_view view;
  std::string_view member;
};

// Splits at every full stop; exactly two parts (either may be empty), else a query error.
MemberPath parse_member_path(std::string_view text);

// The text before the first full stop, or the whole text when there is none.
std::string_view view_part(std::string_view path);

// The first member of exactly that name in the view of that name, or null when either is missing.
const Dimension* find_dimension(const Engine& engine, std::string_view view,
                                std::string_view member);
const Measure* find_measure(const Engine& engine, std::string_view view, std::string_view member);
const Segment* find_segment(const Engine& engine, std::string_view view, std::string_view member);

}  // namespace orvane
