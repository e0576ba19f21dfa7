#include "engine/query/json_cursor.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "common/failure.h"

namespace orvane {
namespace {

bool is_json_whitespace(int c) {
  return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}
bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

int hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Length of the well-formed UTF-8 sequence starting at `at`, or 0 when it is malformed
// (overlong forms, surrogates and code points beyond U+10FFFF included).
std::size_t utf8_sequence_length(std::string_view text, std::size_t at) {
  auto byte = [&](std::size_t i) {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
  };
  unsigned lead = byte(at);
  auto continuation = [&](std::size_t i, unsigned low = 0x80, unsigned high = 0xBF) {
    unsigned b = byte(i);
    return i < text.size() && b >= low && b <= high;
  };
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return continuation(at + 1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
    unsigned high = lead == 0xED ? 0x9F : 0xBF;
    return continuation(at + 1, low, high) && continuation(at + 2) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    unsigned low = lead == 0xF0 ? 0x90 : 0x80;
    unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
    return continuation(at + 1, low, high) && continuation(at + 2) && continuation(at + 3) ? 4 : 0;
  }
  return 0;
}

// Whether a decimal text whose conversion was out of range is too large (rather than too small)
// for a double: compares the position of its first significant digit with the decimal point.
bool exceeds_double_range(std::string_view number) {
  std::int64_t exponent = 0;
  std::size_t mantissa_end = number.find_first_of("eE");
  if (mantissa_end != std::string_view::npos) {
    std::string_view written = number.substr(mantissa_end + 1);
    bool negative = !written.empty() && written.front() == '-';
    if (!written.empty() && (written.front() == '-' || written.front() == '+'))
      written.remove_prefix(1);
    for (char c : written) {
      exponent = exponent * 10 + (c - '0');
      if (exponent > (std::int64_t{1} << 40)) break;
    }
    if (negative) exponent = -exponent;
  }
  std::string_view mantissa = number.substr(0, mantissa_end);
  std::size_t point = mantissa.find('.');
  std::int64_t integer_digits =
      static_cast<std::int64_t>(point == std::string_view::npos ? mantissa.size() : point);
  std::int64_t first_significant = 0;
  for (char c : mantissa) {
    if (c == '.') continue;
    if (c != '0') break;
    ++first_significant;
  }
  return integer_digits - first_significant + exponent > 0;
}

}  // namespace

int JsonCursor::peek_token() {
  while (index_ < text_.size() && is_json_whitespace(static_cast<unsigned char>(text_[index_])))
    ++index_;
  return peek();
}

void JsonCursor::fail_at(std::size_t index, std::string_view message) const {
  std::size_t line = 1;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < index; ++i) {
    if (text_[i] == '\n') {
      ++line;
      line_start = i + 1;
    }
  }
  std::string text(message);
  text += " at line " + std::to_string(line) + " column " + std::to_string(index - line_start);
  throw Failure(text);
}

void JsonCursor::fail(std::string_view message) const {
  fail_at(index_, message);
}

void JsonCursor::fail_at_peeked(std::string_view message) const {
  fail_at(index_ < text_.size() ? index_ + 1 : text_.size(), message);
}

void JsonCursor::consume_literal(std::string_view literal) {
  advance();
  for (char expected : literal.substr(1)) {
    int c = peek();
    if (c == kEnd) fail("EOF while parsing a value");
    advance();
    if (c != static_cast<unsigned char>(expected)) fail("expected ident");
  }
}

void JsonCursor::expect_colon() {
  int c = peek_token();
  if (c == ':') return advance();
  fail_at_peeked(c == kEnd ? "EOF while parsing an object" : "expected `:`");
}

void JsonCursor::enter_nested() {
  if (--remaining_depth_ == 0) fail_at_peeked("recursion limit exceeded");
}

void JsonCursor::end_array() {
  int c = peek_token();
  if (c == ']') return advance();
  if (c == ',') {
    advance();
    fail_at_peeked(peek_token() == ']' ? "trailing comma" : "trailing characters");
  }
  fail_at_peeked(c == kEnd ? "EOF while parsing a list" : "trailing characters");
}

void JsonCursor::end_object() {
  int c = peek_token();
  if (c == '}') return advance();
  if (c == ',') fail_at_peeked("trailing comma");
  fail_at_peeked(c == kEnd ? "EOF while parsing an object" : "trailing characters");
}

void JsonCursor::end_text() {
  if (peek_token() != kEnd) fail_at_peeked("trailing characters");
}

bool JsonCursor::next_element(bool& first) {
  int c = peek_token();
  if (c == ']') return false;
  if (c == kEnd) fail_at_peeked("EOF while parsing a list");
  if (c == ',' && !first) {
    advance();
    c = peek_token();
    if (c == ']') fail_at_peeked("trailing comma");
    if (c == kEnd) fail_at_peeked("EOF while parsing a value");
  } else if (!first) {
    fail_at_peeked("expected `,` or `]`");
  }
  first = false;
  return true;
}

bool JsonCursor::next_key(bool& first) {
  int c = peek_token();
  if (c == '}') return false;
  if (c == kEnd) fail_at_peeked("EOF while parsing an object");
  if (c == ',' && !first) {
    advance();
    c = peek_token();
  } else if (!first) {
    fail_at_peeked("expected `,` or `}`");
  }
  first = false;
  if (c == '"') {
    advance();
    return true;
  }
  if (c == '}') fail_at_peeked("trailing comma");
  fail_at_peeked(c == kEnd ? "EOF while parsing a value" : "key must be a string");
}

// The bytes a string passes over without a second look: printable ASCII other than the quote
// and the backslash.
constexpr std::array<bool, 256> kPlainStringBytes = [] {
  std::array<bool, 256> plain{};
  for (int c = 0x20; c < 0x80; ++c) plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
  return plain;
}();

// Moves to the next quote, backslash or control character (or the end) and returns whether the
// bytes passed are well-formed UTF-8: one pass, in which ASCII costs a table look-up. Plain
// bytes, nearly all a query holds, are looked up four at a time while four remain.
bool JsonCursor::scan_string_segment() {
  const std::size_t size = text_.size();
  const auto plain = [this](std::size_t at) {
    return kPlainStringBytes[static_cast<unsigned char>(text_[at])];
  };
  std::size_t at = index_;
  bool valid = true;
  while (at < size) {
    while (size - at >= 4 && (plain(at) & plain(at + 1) & plain(at + 2) & plain(at + 3))) at += 4;
    if (at == size) break;
    const auto c = static_cast<unsigned char>(text_[at]);
    if (kPlainStringBytes[c]) {
      ++at;
    } else if (c < 0x80) {
      break;
    } else {
      const std::size_t length = utf8_sequence_length(text_, at);
      valid = valid && length != 0;
      at += length == 0 ? 1 : length;
    }
  }
  index_ = at;
  return valid;
}

// Malformed UTF-8 is reported once the whole string has been read, after its closing quote.
void JsonCursor::fail_unless_utf8(bool valid) const {
  if (!valid) fail("invalid unicode code point");
}

std::string_view JsonCursor::read_string(std::string& scratch) {
  std::size_t start = index_;
  bool valid = scan_string_segment();
  if (index_ < text_.size() && text_[index_] == '"') {
    advance();
    fail_unless_utf8(valid);
    return text_.substr(start, index_ - 1 - start);
  }
  return decode_escapes(start, valid, scratch);
}

// The slow path of read_string: the string holds escapes (or is malformed). The segment from
// `start` has been scanned already; `valid` tells whether it was well-formed.
std::string_view JsonCursor::decode_escapes(std::size_t start, bool valid, std::string& scratch) {
  scratch.clear();
  for (;;) {
    if (index_ == text_.size()) fail("EOF while parsing a string");
    char c = text_[index_];
    scratch.append(text_.substr(start, index_ - start));
    advance();
    if (c == '"') {
      fail_unless_utf8(valid);
      return scratch;
    }
    if (c != '\\') fail("control character (\\u0000-\\u001F) found while parsing a string");
    if (index_ == text_.size()) fail("EOF while parsing a string");
    char escape = text_[index_];
    advance();
    switch (escape) {
      case '"':
        scratch += '"';
        break;
      case '\\':
        scratch += '\\';
        break;
      case '/':
        scratch += '/';
        break;
      case 'b':
        scratch += '\b';
        break;
      case 'f':
        scratch += '\f';
        break;
      case 'n':
        scratch += '\n';
        break;
      case 'r':
        scratch += '\r';
        break;
      case 't':
        scratch += '\t';
        break;
      case 'u':
        append_unicode_escape(scratch);
        break;
      default:
        fail("invalid escape");
    }
    start = index_;
    valid = scan_string_segment() && valid;
  }
}

std::uint16_t JsonCursor::read_hex_escape() {
  if (text_.size() - index_ < 4) {
    index_ = text_.size();
    fail("EOF while parsing a string");
  }
  unsigned value = 0;
  bool valid = true;
  for (int i = 0; i < 4; ++i) {
    int digit = hex_digit_value(text_[index_ + i]);
    valid = valid && digit >= 0;
    value = value * 16 + static_cast<unsigned>(digit < 0 ? 0 : digit);
  }
  index_ += 4;
  if (!valid) fail("invalid escape");
  return static_cast<std::uint16_t>(value);
}

// A \u escape (its "\u" consumed); a leading surrogate must be followed by an escaped trailing
// one, and the pair becomes one code point.
void JsonCursor::append_unicode_escape(std::string& scratch) {
  char32_t first = read_hex_escape();
  if (first >= 0xDC00 && first <= 0xDFFF) fail("lone leading surrogate in hex escape");
  if (first < 0xD800 || first > 0xDBFF) return append_utf8(scratch, first);
  for (char expected : {'\\', 'u'}) {
    if (index_ == text_.size()) fail("EOF while parsing a string");
    char c = text_[index_];
    advance();
    if (c != expected) fail("unexpected end of hex escape");
  }
  char32_t second = read_hex_escape();
  if (second < 0xDC00 || second > 0xDFFF) fail("lone leading surrogate in hex escape");
  append_utf8(scratch, (((first - 0xD800) << 10) | (second - 0xDC00)) + 0x10000);
}

void JsonCursor::skip_escape() {
  if (index_ == text_.size()) fail("EOF while parsing a string");
  char escape = text_[index_];
  advance();
  switch (escape) {
    case '"':
    case '\\':
    case '/':
    case 'b':
    case 'f':
    case 'n':
    case 'r':
    case 't':
      return;
    case 'u':
      read_hex_escape();
      return;
    default:
      fail("invalid escape");
  }
}

// Unlike read_string, a control character is reported before it is consumed.
void JsonCursor::skip_string() {
  bool valid = true;
  for (;;) {
    valid = scan_string_segment() && valid;
    if (index_ == text_.size()) fail("EOF while parsing a string");
    char c = text_[index_];
    if (c != '"' && c != '\\')
      fail("control character (\\u0000-\\u001F) found while parsing a string");
    advance();
    if (c == '"') return fail_unless_utf8(valid);
    skip_escape();
  }
}

JsonNumber JsonCursor::read_number(bool negative) {
  std::size_t start = index_;
  int first = peek();
  if (first == kEnd) fail("EOF while parsing a value");
  advance();
  std::uint64_t significand = 0;
  bool floating = false;
  if (first == '0') {
    if (is_digit(peek())) fail_at_peeked("invalid number");
  } else if (first >= '1' && first <= '9') {
    significand = static_cast<std::uint64_t>(first - '0');
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (int c = peek(); is_digit(c); c = peek()) {
      auto digit = static_cast<std::uint64_t>(c - '0');
      if (!floating && significand > (kMax - digit) / 10) floating = true;
      if (!floating) significand = significand * 10 + digit;
      advance();
    }
  } else {
    fail("invalid number");
  }
  bool is_zero = significand == 0 && !floating;
  if (peek() == '.') {
    advance();
    if (!is_digit(peek()))
      fail_at_peeked(peek() == kEnd ? "EOF while parsing a value" : "invalid number");
    for (; is_digit(peek()); advance())
      if (peek() != '0') is_zero = false;
    floating = true;
  }
  if (peek() == 'e' || peek() == 'E') {
    advance();
    bool negative_exponent = peek() == '-';
    if (peek() == '-' || peek() == '+') advance();
    int c = peek();
    if (c == kEnd) fail("EOF while parsing a value");
    advance();
    if (!is_digit(c)) fail("invalid number");
    std::int64_t exponent = c - '0';
    for (c = peek(); is_digit(c); c = peek()) {
      advance();
      exponent = exponent * 10 + (c - '0');
      if (exponent > std::numeric_limits<std::int32_t>::max()) {
        if (!is_zero && !negative_exponent) fail("number out of range");
        while (is_digit(peek())) advance();
        is_zero = true;
        break;
      }
    }
    floating = true;
  }
  JsonNumber number;
  if (!floating) {
    constexpr std::uint64_t kSignedMagnitude = std::uint64_t{1} << 63;
    if (!negative) {
      number.unsigned_value = significand;
    } else if (significand != 0 && significand <= kSignedMagnitude) {
      number.kind = JsonNumber::Kind::Signed;
      number.signed_value = static_cast<std::int64_t>(0 - significand);
    } else {
      number.kind = JsonNumber::Kind::Floating;
      number.floating_value = -static_cast<double>(significand);
    }
    return number;
  }
  number.kind = JsonNumber::Kind::Floating;
  number.floating_value = is_zero ? 0.0 : read_floating(start);
  if (negative) number.floating_value = -number.floating_value;
  return number;
}

// Skips a number the way read_number reads it, but without converting it: no range errors.
void JsonCursor::skip_number() {
  int first = peek();
  if (first != kEnd) advance();
  if (first == '0') {
    if (is_digit(peek())) fail_at_peeked("invalid number");
  } else if (first >= '1' && first <= '9') {
    while (is_digit(peek())) advance();
  } else {
    fail("invalid number");
  }
  if (peek() == '.') {
    advance();
    if (!is_digit(peek())) fail_at_peeked("invalid number");
    while (is_digit(peek())) advance();
  }
  if (peek() == 'e' || peek() == 'E') {
    advance();
    if (peek() == '-' || peek() == '+') advance();
    int c = peek();
    if (c != kEnd) advance();
    if (!is_digit(c)) fail("invalid number");
    while (is_digit(peek())) advance();
  }
}

// Converts the unsigned digits between `start` and the cursor; a value too large for a double
// fails, one too small becomes zero.
double JsonCursor::read_floating(std::size_t start) {
  std::string_view digits = text_.substr(start, index_ - start);
  double value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error == std::errc::result_out_of_range) {
    if (exceeds_double_range(digits)) fail("number out of range");
    value = 0;
  } else if (error != std::errc() || end != digits.data() + digits.size() || std::isinf(value)) {
    fail("number out of range");
  }
  return value;
}

}  // namespace orvane
