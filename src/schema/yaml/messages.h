// The record-level messages shared by every document reader. They carry no position.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "common/failure.h"

namespace orvane::yaml {

Failure duplicate_field(std::string_view field);
Failure missing_field(std::string_view field);
// "unknown variant `{}`, expected {}" with the accepted spellings listed.
Failure unknown_variant(std::string_view value, std::span<const std::string_view> spellings);

// "`a`", "`a` or `b`", or "one of `a`, `b`, `c`".
std::string expected_spellings(std::span<const std::string_view> spellings);

}  // namespace orvane::yaml
