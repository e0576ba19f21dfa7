// Typing scalars by the YAML core schema: plain `null`, `~`, `true`, `2024`, `1.5` are not text.
#pragma once

#include <array>
#include <string_view>

#include "common/value.h"
#include "schema/yaml/document.h"

namespace orvane::yaml {

enum class ScalarType { Null, Bool, Int, Float, String };

// What a plain scalar starting with that byte can be besides text: a number, `~` or `.inf`
// (Symbol), or one of the words `null`, `true`, `false` in their spellings (Word), which are
// four or five bytes long.
enum class PlainStart : unsigned char { Text, Symbol, Word };
inline constexpr auto kPlainStart = [] {
  std::array<PlainStart, 256> table{};
  for (char c : std::string_view("0123456789~.-+"))
    table[static_cast<unsigned char>(c)] = PlainStart::Symbol;
  for (char c : std::string_view("nNtTfF")) table[static_cast<unsigned char>(c)] = PlainStart::Word;
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
    if (!text.empty()) {
      PlainStart start = kPlainStart[static_cast<unsigned char>(text[0])];
      if (start == PlainStart::Text) return ScalarType::String;
      if (start == PlainStart::Word && (text.size() < 4 || text.size() > 5))
        return ScalarType::String;
    }
  }
  return tagged_or_plain_type(doc, scalar);
}

// True for a null scalar: a plain (or `!!null`-tagged) `null`, `Null`, `NULL`, `~` or nothing.
bool is_null(const Document& doc, const Node& node);

// The scalar as a value of its core-schema type; integers beyond 64 bits become floats.
Value core_value(const Document& doc, const Node& scalar);

}  // namespace orvane::yaml
