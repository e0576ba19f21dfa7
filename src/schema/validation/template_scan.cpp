#include "schema/validation/template_scan.h"

#include <optional>

#include "common/unicode.h"

namespace orvane {
namespace {

// A cursor over UTF-8 text that reads the pieces of a `{{ ... }}` reference.
class Cursor {
 public:
  Cursor(std::string_view text, std::size_t pos) : text_(text), pos_(pos) {}

  std::size_t pos() const { return pos_; }

  bool take(std::string_view literal) {
    if (text_.substr(pos_, literal.size()) != literal) return false;
    pos_ += literal.size();
    return true;
  }

  void skip_whitespace() {
    while (pos_ < text_.size()) {
      std::size_t next = pos_;
      if (!is_unicode_whitespace(next_code_point(text_, next))) return;
      pos_ = next;
    }
  }

  // One or more word characters, or nothing when there is none here.
  std::optional<std::string_view> take_word() {
    const std::size_t start = pos_;
    while (pos_ < text_.size()) {
      std::size_t next = pos_;
      if (!is_word_character(next_code_point(text_, next))) break;
      pos_ = next;
    }
    if (pos_ == start) return std::nullopt;
    return text_.substr(start, pos_ - start);
  }

 private:
  std::string_view text_;
  std::size_t pos_;
};

// The captured name and the end of the match when a reference starts at `pos`. Word and space
// characters are disjoint and neither includes the full stop or a brace, so a greedy read is the
// only way to match.
struct Match {
  std::string_view name;
  std::size_t end;
};

std::optional<Match> match_reference(std::string_view text, std::size_t pos, bool with_member) {
  Cursor cursor(text, pos);
  if (!cursor.take("{{")) return std::nullopt;
  cursor.skip_whitespace();
  const auto name = cursor.take_word();
  if (!name) return std::nullopt;
  if (with_member && !(cursor.take(".") && cursor.take_word())) return std::nullopt;
  cursor.skip_whitespace();
  if (!cursor.take("}}")) return std::nullopt;
  return Match{*name, cursor.pos()};
}

std::vector<std::string_view> scan(std::string_view text, bool with_member) {
  std::vector<std::string_view> names;
  std::size_t pos = text.find("{{");
  while (pos != std::string_view::npos) {
    if (const auto match = match_reference(text, pos, with_member)) {
      names.push_back(match->name);
      pos = text.find("{{", match->end);
    } else {
      pos = text.find("{{", pos + 1);
    }
  }
  return names;
}

}  // namespace

std::vector<std::string_view> member_reference_heads(std::string_view text) {
  return scan(text, true);
}

std::vector<std::string_view> parameter_references(std::string_view text) {
  return scan(text, false);
}

}  // namespace orvane
