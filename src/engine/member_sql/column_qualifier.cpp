#include "engine/member_sql/column_qualifier.h"

#include "common/unicode.h"

namespace orvane {
namespace {

// The characters the Unicode helpers count as white space below 0x80.
bool is_ascii_whitespace(unsigned char c) {
  return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

bool is_ascii_letter(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

// ASCII is answered inline, with the Unicode helpers' own answers for it.
bool is_identifier_character(char32_t c) {
  if (c < 0x80) return c == U'_' || is_ascii_letter(c) || (c >= U'0' && c <= U'9');
  return is_unicode_alphanumeric(c);
}

// Decodes one code point, with the common ASCII case inline.
char32_t decode(std::string_view text, std::size_t& pos) {
  unsigned char byte = static_cast<unsigned char>(text[pos]);
  if (byte < 0x80) {
    ++pos;
    return byte;
  }
  return next_code_point(text, pos);
}

bool starts_word(char32_t c) {
  if (c < 0x80) return c == U'_' || is_ascii_letter(c);
  return is_unicode_alphabetic(c);
}

// End of the run of identifier characters starting at `pos`.
std::size_t end_of_word(std::string_view text, std::size_t pos) {
  while (pos < text.size()) {
    std::size_t next = pos;
    if (!is_identifier_character(decode(text, next))) break;
    pos = next;
  }
  return pos;
}

void append_qualified(std::string& out, Dialect dialect, std::string_view quoted_alias,
                      std::string_view name) {
  out.append(quoted_alias).append(".");
  append_quoted_identifier(out, dialect, name);
}

bool names_dimension(const View* view, std::string_view word) {
  return view && find_dimension(*view, word) != nullptr;
}

}  // namespace

void append_qualified_columns(std::string& out, Dialect dialect, std::string_view quoted_alias,
                              const View* view, std::string_view text) {
  out.reserve(out.size() + text.size() + text.size() / 2 + 16);
  std::size_t pos = 0;
  const std::size_t size = text.size();
  while (pos < size) {
    const char c = text[pos];
    if (c == '\'') {
      std::size_t close = text.find('\'', pos + 1);
      std::size_t stop = close == std::string_view::npos ? size : close + 1;
      out.append(text.substr(pos, stop - pos));
      pos = stop;
    } else if (c == '"' || c == '`') {
      std::size_t close = text.find(c, pos + 1);
      std::size_t inner_end = close == std::string_view::npos ? size : close;
      std::size_t after = close == std::string_view::npos ? size : close + 1;
      std::string_view inner = text.substr(pos + 1, inner_end - pos - 1);
      bool touches_dot = (pos > 0 && text[pos - 1] == '.') || (after < size && text[after] == '.');
      if (touches_dot)
        append_quoted_identifier(out, dialect, inner);
      else
        append_qualified(out, dialect, quoted_alias, inner);
      pos = after;
    } else {
      std::size_t next = pos;
      char32_t code_point = decode(text, next);
      if (!starts_word(code_point)) {
        out.append(text.substr(pos, next - pos));
        pos = next;
        continue;
      }
      std::size_t stop = end_of_word(text, next);
      std::string_view word = text.substr(pos, stop - pos);
      bool keep = (pos > 0 && text[pos - 1] == '.') || (stop < size && text[stop] == '(') ||
                  !names_dimension(view, word);
      if (keep)
        out.append(word);
      else
        append_qualified(out, dialect, quoted_alias, word);
      pos = stop;
    }
  }
}

bool is_bare_identifier(std::string_view text) {
  // ASCII text, the usual case, is answered without trimming or decoding: any ASCII character
  // other than white space and identifier characters survives trimming and makes it no name.
  bool plain = true;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 || is_ascii_whitespace(byte)) {
      plain = false;
    } else if (!is_identifier_character(byte)) {
      return false;
    }
  }
  if (plain) return !text.empty();
  std::string_view trimmed = trim_unicode_whitespace(text);
  if (trimmed.empty()) return false;
  std::size_t pos = 0;
  while (pos < trimmed.size())
    if (!is_identifier_character(decode(trimmed, pos))) return false;
  return true;
}

}  // namespace orvane
