#include "engine/sql_generator/from_source.h"

#include <algorithm>

#include "common/unicode.h"

namespace orvane {
namespace {

bool is_ascii_word_byte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool is_plain_table_part(std::string_view part) {
  if (part.empty() || (part.front() >= '0' && part.front() <= '9')) return false;
  std::size_t pos = 0;
  while (pos < part.size()) {
    // ASCII word bytes, which table names are almost always made of, need no decoding.
    if (is_ascii_word_byte(part[pos])) {
      ++pos;
      continue;
    }
    char32_t c = next_code_point(part, pos);
    if (c != U'_' && !is_unicode_alphanumeric(c)) return false;
  }
  return true;
}

void append_table_source(std::string& out, Dialect dialect, std::string_view table) {
  if (std::any_of(table.begin(), table.end(), [](char c) { return c == '"' || c == '`'; })) {
    out.append(table);
    return;
  }
  std::size_t start = 0;
  while (true) {
    std::size_t dot = table.find('.', start);
    std::string_view part = table.substr(start, dot == std::string_view::npos ? dot : dot - start);
    if (is_plain_table_part(part))
      out.append(part);
    else
      append_quoted_identifier(out, dialect, part);
    if (dot == std::string_view::npos) break;
    out.append(".");
    start = dot + 1;
  }
}

}  // namespace

void append_from_source(std::string& out, Dialect dialect, const View& view) {
  if (view.table)
    append_table_source(out, dialect, *view.table);
  else if (view.sql)
    out.append("(\n  ").append(*view.sql).append("\n)");
  else
    out.append(view.name);
}

std::string from_source(Dialect dialect, const View& view) {
  std::string out;
  out.reserve(view.table ? view.table->size() + 8 : 16);
  append_from_source(out, dialect, view);
  return out;
}

}  // namespace orvane
