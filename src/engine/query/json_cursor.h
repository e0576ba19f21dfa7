// The token level of the query reader: a single forward pass over the JSON text, with the
// reader's messages and the position each one reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// A number as read: non-negative integers that fit stay unsigned, negative ones signed, and
// everything else (fractions, exponents, integers beyond 64 bits) becomes a double.
struct JsonNumber {
  enum class Kind { Unsigned, Signed, Floating };
  Kind kind = Kind::Unsigned;
  std::uint64_t unsigned_value = 0;
  std::int64_t signed_value = 0;
  double floating_value = 0;
};

// Reads JSON tokens from a text that it does not own. Every failure throws Failure with the
// message followed by " at line {} column {}": the line is 1-based, the column counts the bytes
// of that line consumed so far, so it names the last byte read (0 before the first one). Bytes
// rather than characters because a text that is not valid UTF-8 has no character count, and a
// byte column points at the same place in every editor that shows offsets.
class JsonCursor {
 public:
  static constexpr int kEnd = -1;

  explicit JsonCursor(std::string_view text) : text_(text) {}

  // Skips white space; returns the next byte (not consumed) or kEnd.
  int peek_token();
  // The next byte without skipping anything, or kEnd.
  int peek() const {
    return index_ < text_.size() ? static_cast<unsigned char>(text_[index_]) : kEnd;
  }
  void advance() { ++index_; }

  // Fails at the current position.
  [[noreturn]] void fail(std::string_view message) const;
  // Fails at the position that includes the byte just peeked.
  [[noreturn]] void fail_at_peeked(std::string_view message) const;

  // Consumes `null`, `true` or `false`, whose first letter was just peeked.
  void consume_literal(std::string_view literal);
  // The colon between a key and its value.
  void expect_colon();

  // Reads a string whose opening quote was just consumed. The result views the text when the
  // string holds no escapes, else `scratch`.
  std::string_view read_string(std::string& scratch);
  // Skips a string whose opening quote was just consumed; lone surrogate escapes are tolerated.
  void skip_string();

  // Reads a number at the cursor (first byte a digit or, when `negative`, already past the '-').
  JsonNumber read_number(bool negative);
  // Skips a number at the cursor (same entry as read_number) without converting it.
  void skip_number();

  // Enters one level of array/object nesting, failing beyond the reader's limit; call before
  // consuming the opening bracket.
  void enter_nested();
  void leave_nested() { ++remaining_depth_; }

  // After the elements of an array: its closing bracket, or the reader's complaint.
  void end_array();
  // After the entries of an object: its closing brace, or the reader's complaint.
  void end_object();
  // Whatever follows the top-level value must be white space.
  void end_text();

  // Sequence and map stepping: true when an element/key follows (cursor at its first byte),
  // false at the closing bracket/brace (left unconsumed). `first` tracks the comma rule.
  bool next_element(bool& first);
  bool next_key(bool& first);

 private:
  std::string_view decode_escapes(std::size_t start, bool valid, std::string& scratch);
  void append_unicode_escape(std::string& scratch);
  std::uint16_t read_hex_escape();
  void skip_escape();
  bool scan_string_segment();
  void fail_unless_utf8(bool valid) const;
  [[noreturn]] void fail_at(std::size_t index, std::string_view message) const;
  double read_floating(std::size_t start);

  std::string_view text_;
  std::size_t index_ = 0;
  int remaining_depth_ = 128;
};

}  // namespace orvane
