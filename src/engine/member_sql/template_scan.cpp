#include "engine/member_sql/template_scan.h"

#include "common/unicode.h"

namespace orvane {
namespace {

// ASCII bytes, which references are almost always made of, are classified here without
// decoding; the answers are those of the Unicode helpers for the same characters.
bool is_ascii_whitespace(unsigned char c) {
  return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

bool is_ascii_word(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The end of the run of characters in the class at `pos`: ASCII bytes are classified inline,
// other characters are decoded and asked of the Unicode helper.
template <bool (*InAsciiClass)(unsigned char), bool (*InUnicodeClass)(char32_t)>
std::size_t skip_run(std::string_view text, std::size_t pos) {
  while (pos < text.size()) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
      if (!InAsciiClass(byte)) break;
      ++pos;
      continue;
    }
    std::size_t next = pos;
    if (!InUnicodeClass(next_code_point(text, next))) break;
    pos = next;
  }
  return pos;
}

std::size_t skip_whitespace(std::string_view text, std::size_t pos) {
  return skip_run<is_ascii_whitespace, is_unicode_whitespace>(text, pos);
}

std::size_t skip_word(std::string_view text, std::size_t pos) {
  return skip_run<is_ascii_word, is_word_character>(text, pos);
}

bool opens_at(std::string_view text, std::size_t pos) {
  return text.substr(pos, 2) == "{{";
}

// White space, then "}}": the end of the reference, or nothing.
std::optional<std::size_t> close_after(std::string_view text, std::size_t pos) {
  pos = skip_whitespace(text, pos);
  if (text.substr(pos, 2) != "}}") return std::nullopt;
  return pos + 2;
}

}  // namespace

std::optional<ReferenceMatch> match_table_reference(std::string_view text, std::size_t pos) {
  if (!opens_at(text, pos)) return std::nullopt;
  std::size_t at = skip_whitespace(text, pos + 2);
  if (text.substr(at, 5) != "TABLE") return std::nullopt;
  auto end = close_after(text, at + 5);
  if (!end) return std::nullopt;
  return ReferenceMatch{pos, *end, text.substr(at, 5), {}};
}

std::optional<ReferenceMatch> match_bare_reference(std::string_view text, std::size_t pos) {
  if (!opens_at(text, pos)) return std::nullopt;
  std::size_t start = skip_whitespace(text, pos + 2);
  std::size_t stop = skip_word(text, start);
  if (stop == start) return std::nullopt;
  auto end = close_after(text, stop);
  if (!end) return std::nullopt;
  return ReferenceMatch{pos, *end, text.substr(start, stop - start), {}};
}

std::optional<ReferenceMatch> match_dotted_reference(std::string_view text, std::size_t pos) {
  if (!opens_at(text, pos)) return std::nullopt;
  std::size_t start = skip_whitespace(text, pos + 2);
  std::size_t dot = skip_word(text, start);
  if (dot == start || dot >= text.size() || text[dot] != '.') return std::nullopt;
  std::size_t stop = skip_word(text, dot + 1);
  if (stop == dot + 1) return std::nullopt;
  auto end = close_after(text, stop);
  if (!end) return std::nullopt;
  return ReferenceMatch{pos, *end, text.substr(start, dot - start),
                        text.substr(dot + 1, stop - dot - 1)};
}

// Candidates start only at "{{"; a failed candidate never consumes more than the white space and
// word run after its braces, which holds no "{{", so the search stays linear.
std::optional<ReferenceMatch> find_reference(std::string_view text, std::size_t from,
                                             ReferenceMatcher matcher) {
  for (std::size_t at = text.find("{{", from); at != std::string_view::npos;
       at = text.find("{{", at + 1)) {
    if (auto match = matcher(text, at)) return match;
  }
  return std::nullopt;
}

// A failed candidate fails at the first "}" after its prefix; every later candidate whose prefix
// lies before that brace would fail there too, so the scan resumes at the brace.
bool has_variables_reference(std::string_view text) {
  constexpr std::string_view kPrefix = "variables.";
  std::size_t at = text.find("{{");
  while (at != std::string_view::npos) {
    std::size_t name = skip_whitespace(text, at + 2);
    if (text.substr(name, kPrefix.size()) != kPrefix) {
      at = text.find("{{", at + 1);
      continue;
    }
    std::size_t body = name + kPrefix.size();
    std::size_t brace = text.find('}', body);
    if (brace == std::string_view::npos) return false;
    if (brace > body && text.substr(brace, 2) == "}}") return true;
    at = text.find("{{", brace);
  }
  return false;
}

std::vector<std::string_view> bare_references(std::string_view text) {
  std::vector<std::string_view> names;
  std::size_t from = 0;
  while (auto match = find_reference(text, from, match_bare_reference)) {
    names.push_back(match->first);
    from = match->end;
  }
  return names;
}

std::vector<std::pair<std::string_view, std::string_view>> dotted_references(
    std::string_view text) {
  std::vector<std::pair<std::string_view, std::string_view>> references;
  std::size_t from = 0;
  while (auto match = find_reference(text, from, match_dotted_reference)) {
    references.emplace_back(match->first, match->second);
    from = match->end;
  }
  return references;
}

}  // namespace orvane
