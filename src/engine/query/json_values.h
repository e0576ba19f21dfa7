// Untyped values in the query text: values kept whole (motif parameters), values skipped (keys
// a record does not know) and the complaint about a value of the wrong type.
#pragma once

#include <string>
#include <string_view>

#include "common/value.h"
#include "engine/query/json_cursor.h"

namespace orvane {

// Reads any JSON value into the value tree; object entries are ordered by key, a repeated key
// keeping its last value.
Value read_json_value(JsonCursor& cursor, std::string& scratch);

// Skips any JSON value. Skipped values are checked for well-formedness only, so their nesting is
// not limited.
void skip_json_value(JsonCursor& cursor);

// Consumes the scalar at the cursor and fails with "invalid type: {found}, expected {expected}";
// an array or object is named without being consumed.
[[noreturn]] void fail_invalid_type(JsonCursor& cursor, std::string_view expected);

// "integer `5`", "integer `-1`" or "floating point `10.5`", as the messages show numbers.
std::string describe_number(const JsonNumber& number);

}  // namespace orvane
