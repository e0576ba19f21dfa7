// Typing scalars by the YAML core schema: plain `null`, `~`, `true`, `2024`, `1.5` are not text.
#pragma once

#include "common/value.h"
#include "schema/yaml/document.h"

namespace orvane::yaml {

enum class ScalarType { Null, Bool, Int, Float, String };

// The core-schema type of a scalar. Quoted and block scalars are text; `!!str` and the
// non-specific `!` tag force text, the other core tags type the text as if it were plain.
ScalarType core_type(const Document& doc, const Node& scalar);

// True for a null scalar: a plain (or `!!null`-tagged) `null`, `Null`, `NULL`, `~` or nothing.
bool is_null(const Document& doc, const Node& node);

// The scalar as a value of its core-schema type; integers beyond 64 bits become floats.
Value core_value(const Document& doc, const Node& scalar);

}  // namespace orvane::yaml
