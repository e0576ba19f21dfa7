// Typing scalars by the YAML core schema: plain `null`, `~`, `true`, `2024`, `1.5` are not text.
#pragma once

#include <array>
#include <string_view>

#include "common/value.h"
#include "schema/yaml/document.h"

namespace orvane::yaml {

enum class ScalarType { Null, Bool, Int, Float, String };

// Whether a plain scalar starting with that byte can be anything but text.
inline constexpr auto kMayBeTyped = [] {
  std::array<bool, 256> table{};
  for (char c : std::string_view("0123456789~.-+nNtTfF"))
    table[static_cast<unsigned char>(c)] = true;
  return table;
}();

// core_type for the scalars it does not answer inline.
ScalarType tagged_or_plain_type(const Document& doc, const Node& scalar);

// The core-schema type of a scalar. Quoted and block scalars are text; `!!str` and the
// non-specific `!` tag force text, the other core tags type the text as if it were plain. Nearly
// every scalar read is typed, and most are untagged text, so those are answered inline.
inline ScalarType core_type(const Document& doc, const Node& scalar) {
  if (scalar.tag_size == 0) {
    if (!scalar.plain) return ScalarType::String;
    std::string_view text = doc.text(scalar);
    if (!text.empty() && !kMayBeTyped[static_cast<unsigned char>(text[0])])
      return ScalarType::String;
  }
  return tagged_or_plain_type(doc, scalar);
}

// True for a null scalar: a plain (or `!!null`-tagged) `null`, `Null`, `NULL`, `~` or nothing.
bool is_null(const Document& doc, const Node& node);

// The scalar as a value of its core-schema type; integers beyond 64 bits become floats.
Value core_value(const Document& doc, const Node& scalar);

}  // namespace orvane::yaml
