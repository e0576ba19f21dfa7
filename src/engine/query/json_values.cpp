#include "engine/query/json_values.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "common/debug_text.h"

namespace orvane {
namespace {

bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

// A text shown inside a message: in double quotes, escaped so that the reader sees exactly what
// was sent.
std::string quoted_for_message(std::string_view text) {
  std::string out = "\"";
  append_debug_escaped(out, text);
  return out + "\"";
}

// The shortest text that reads back as the same double, written without an exponent and always
// with a decimal point (10 -> "10.0", 1e21 -> "1000000000000000000000.0", 1e-7 -> "0.0000001").
std::string floating_point_text(double value) {
  char buffer[64];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  std::string_view written(buffer, error == std::errc() ? end - buffer : 0);
  std::string out;
  if (!written.empty() && written.front() == '-') {
    out += '-';
    written.remove_prefix(1);
  }
  std::size_t e = written.find('e');
  if (e == std::string_view::npos || e + 1 >= written.size()) return out + "0.0";
  std::string digits;
  for (char c : written.substr(0, e))
    if (c != '.') digits += c;
  int exponent = 0;
  std::from_chars(written.data() + e + (written[e + 1] == '+' ? 2 : 1),
                  written.data() + written.size(), exponent);
  if (exponent < 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    return out + digits;
  }
  auto integer_digits = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= integer_digits) {
    out += digits;
    out.append(integer_digits - digits.size(), '0');
    return out + ".0";
  }
  return out + digits.substr(0, integer_digits) + "." + digits.substr(integer_digits);
}

Value number_value(const JsonNumber& number) {
  switch (number.kind) {
    case JsonNumber::Kind::Unsigned:
      return Value(number.unsigned_value);
    case JsonNumber::Kind::Signed:
      return Value(number.signed_value);
    case JsonNumber::Kind::Floating:
      break;
  }
  return Value(number.floating_value);
}

void insert_by_key(ValueObject& object, std::string key, Value value) {
  auto at =
      std::lower_bound(object.begin(), object.end(), key,
                       [](const auto& entry, const std::string& k) { return entry.first < k; });
  if (at != object.end() && at->first == key)
    at->second = std::move(value);
  else
    object.emplace(at, std::move(key), std::move(value));
}

Value read_array(JsonCursor& cursor, std::string& scratch) {
  cursor.enter_nested();
  cursor.advance();
  ValueArray items;
  bool first = true;
  while (cursor.next_element(first)) items.push_back(read_json_value(cursor, scratch));
  cursor.end_array();
  cursor.leave_nested();
  return Value(std::move(items));
}

Value read_object(JsonCursor& cursor, std::string& scratch) {
  cursor.enter_nested();
  cursor.advance();
  ValueObject entries;
  bool first = true;
  while (cursor.next_key(first)) {
    std::string key(cursor.read_string(scratch));
    cursor.expect_colon();
    insert_by_key(entries, std::move(key), read_json_value(cursor, scratch));
  }
  cursor.end_object();
  cursor.leave_nested();
  return Value(std::move(entries));
}

// Closes every container that ends here; returns the container still open (0 when none) and
// leaves the cursor before its next key or element.
char close_finished_containers(JsonCursor& cursor, std::string& open, bool accept_comma) {
  for (;;) {
    char frame = open.back();
    char closing = frame == '[' ? ']' : '}';
    int c = cursor.peek_token();
    if (c == ',' && accept_comma) {
      cursor.advance();
      return frame;
    }
    if (c == closing) {
      cursor.advance();
      open.pop_back();
      if (open.empty()) return 0;
      accept_comma = true;
      continue;
    }
    if (c == JsonCursor::kEnd)
      cursor.fail_at_peeked(frame == '[' ? "EOF while parsing a list"
                                         : "EOF while parsing an object");
    if (accept_comma)
      cursor.fail_at_peeked(frame == '[' ? "expected `,` or `]`" : "expected `,` or `}`");
    return frame;
  }
}

void skip_key_and_colon(JsonCursor& cursor) {
  int c = cursor.peek_token();
  if (c != '"')
    cursor.fail_at_peeked(c == JsonCursor::kEnd ? "EOF while parsing an object"
                                                : "key must be a string");
  cursor.advance();
  cursor.skip_string();
  cursor.expect_colon();
}

}  // namespace

std::string describe_number(const JsonNumber& number) {
  switch (number.kind) {
    case JsonNumber::Kind::Unsigned:
      return "integer `" + std::to_string(number.unsigned_value) + "`";
    case JsonNumber::Kind::Signed:
      return "integer `" + std::to_string(number.signed_value) + "`";
    case JsonNumber::Kind::Floating:
      break;
  }
  return "floating point `" + floating_point_text(number.floating_value) + "`";
}

void fail_invalid_type(JsonCursor& cursor, std::string_view expected) {
  std::string found;
  std::string scratch;
  int c = cursor.peek();
  switch (c) {
    case 'n':
      cursor.consume_literal("null");
      found = "null";
      break;
    case 't':
      cursor.consume_literal("true");
      found = "boolean `true`";
      break;
    case 'f':
      cursor.consume_literal("false");
      found = "boolean `false`";
      break;
    case '-':
      cursor.advance();
      found = describe_number(cursor.read_number(true));
      break;
    case '"':
      cursor.advance();
      found = "string " + quoted_for_message(cursor.read_string(scratch));
      break;
    case '[':
      found = "sequence";
      break;
    case '{':
      found = "map";
      break;
    default:
      if (!is_digit(c)) cursor.fail_at_peeked("expected value");
      found = describe_number(cursor.read_number(false));
  }
  cursor.fail("invalid type: " + found + ", expected " + std::string(expected));
}

Value read_json_value(JsonCursor& cursor, std::string& scratch) {
  int c = cursor.peek_token();
  switch (c) {
    case JsonCursor::kEnd:
      cursor.fail_at_peeked("EOF while parsing a value");
    case 'n':
      cursor.consume_literal("null");
      return Value();
    case 't':
      cursor.consume_literal("true");
      return Value(true);
    case 'f':
      cursor.consume_literal("false");
      return Value(false);
    case '-':
      cursor.advance();
      return number_value(cursor.read_number(true));
    case '"':
      cursor.advance();
      return Value(std::string(cursor.read_string(scratch)));
    case '[':
      return read_array(cursor, scratch);
    case '{':
      return read_object(cursor, scratch);
    default:
      if (!is_digit(c)) cursor.fail_at_peeked("expected value");
      return number_value(cursor.read_number(false));
  }
}

// Iterative, with the open containers kept as a string of brackets, so that a skipped value of
// any depth costs no stack.
void skip_json_value(JsonCursor& cursor) {
  std::string open;
  for (;;) {
    int c = cursor.peek_token();
    bool opened = false;
    switch (c) {
      case JsonCursor::kEnd:
        cursor.fail_at_peeked("EOF while parsing a value");
      case 'n':
        cursor.consume_literal("null");
        break;
      case 't':
        cursor.consume_literal("true");
        break;
      case 'f':
        cursor.consume_literal("false");
        break;
      case '-':
        cursor.advance();
        cursor.skip_number();
        break;
      case '"':
        cursor.advance();
        cursor.skip_string();
        break;
      case '[':
      case '{':
        cursor.advance();
        open += static_cast<char>(c);
        opened = true;
        break;
      default:
        if (!is_digit(c)) cursor.fail_at_peeked("expected value");
        cursor.skip_number();
    }
    if (open.empty()) return;
    char frame = close_finished_containers(cursor, open, !opened);
    if (frame == 0) return;
    if (frame == '{') skip_key_and_colon(cursor);
  }
}

}  // namespace orvane
