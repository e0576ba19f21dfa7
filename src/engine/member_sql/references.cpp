#include "engine/member_sql/references.h"

#include "common/unicode.h"

namespace orvane {

// A reference is "{{", at least one character that is not a brace, and "}}". Scanning from each
// "{{" to the next brace finds exactly the matches of \{\{\s*([^{}]+?)\s*\}\} in one pass over
// every start.
std::optional<std::string> first_unresolved_reference(std::string_view sql) {
  std::size_t start = sql.find("{{");
  while (start != std::string_view::npos) {
    std::size_t content = start + 2;
    std::size_t brace = sql.find_first_of("{}", content);
    if (brace == std::string_view::npos) return std::nullopt;
    bool closes = sql[brace] == '}' && brace + 1 < sql.size() && sql[brace + 1] == '}';
    if (closes && brace > content) {
      std::string_view inner = trim_unicode_whitespace(sql.substr(content, brace - content));
      if (inner.substr(0, 10) != "variables.") return std::string(inner);
      start = sql.find("{{", brace + 2);
    } else {
      start = sql.find("{{", start + 1);
    }
  }
  return std::nullopt;
}

}  // namespace orvane
