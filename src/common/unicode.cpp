#include "common/unicode.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace orvane {
namespace {

bool is_ascii(std::string_view text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::string to_lower_full(std::string_view utf8) {
  if (is_ascii(utf8)) {
    std::string out(utf8);
    for (char& c : out)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
  }
  auto text = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), utf8.size()));
  text.toLower(icu::Locale::getRoot());
  std::string out;
  text.toUTF8String(out);
  return out;
}

std::string to_upper_full(std::string_view utf8) {
  if (is_ascii(utf8)) {
    std::string out(utf8);
    for (char& c : out)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
  }
  auto text = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), utf8.size()));
  text.toUpper(icu::Locale::getRoot());
  std::string out;
  text.toUTF8String(out);
  return out;
}

char32_t next_code_point(std::string_view text, std::size_t& pos) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  int32_t i = static_cast<int32_t>(pos);
  int32_t length = static_cast<int32_t>(text.size());
  UChar32 c;
  U8_NEXT(bytes, i, length, c);
  pos = static_cast<std::size_t>(i);
  return c < 0 ? 0xFFFD : static_cast<char32_t>(c);
}

char32_t code_point_before(std::string_view text, std::size_t pos) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  int32_t i = static_cast<int32_t>(pos);
  UChar32 c;
  U8_PREV(bytes, 0, i, c);
  return c < 0 ? 0xFFFD : static_cast<char32_t>(c);
}

bool is_unicode_whitespace(char32_t c) {
  if (c < 0x80) return c == ' ' || (c >= 0x09 && c <= 0x0D);
  return u_isUWhiteSpace(static_cast<UChar32>(c));
}

bool is_unicode_alphanumeric(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  // Alphabetic or numeric (decimal digits, letter numbers, other numbers).
  UChar32 u = static_cast<UChar32>(c);
  return u_isUAlphabetic(u) || (U_GET_GC_MASK(u) & (U_GC_ND_MASK | U_GC_NL_MASK | U_GC_NO_MASK));
}

bool is_unicode_alphabetic(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  return u_isUAlphabetic(static_cast<UChar32>(c));
}

bool is_word_character(char32_t c) {
  if (c < 0x80)
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  // Unicode \w: alphabetic, marks, decimal digits, connector punctuation, join controls.
  UChar32 u = static_cast<UChar32>(c);
  return u_isUAlphabetic(u) || u_charType(u) == U_DECIMAL_DIGIT_NUMBER ||
         (U_GET_GC_MASK(u) & (U_GC_M_MASK | U_GC_PC_MASK)) != 0 || u == 0x200C || u == 0x200D;
}

std::string_view trim_unicode_whitespace(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t next = start;
    if (!is_unicode_whitespace(next_code_point(text, next))) break;
    start = next;
  }
  std::size_t end = text.size();
  while (end > start) {
    char32_t c = code_point_before(text, end);
    if (!is_unicode_whitespace(c)) break;
    std::size_t back = end - 1;
    while (back > start && (static_cast<unsigned char>(text[back]) & 0xC0) == 0x80) --back;
    end = back;
  }
  return text.substr(start, end - start);
}

}  // namespace orvane
