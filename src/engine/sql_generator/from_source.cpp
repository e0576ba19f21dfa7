#include "engine/sql_generator/from_source.h"

#include "common/unicode.h"

namespace orvane {
namespace {

bool is_plain_table_part(std::string_view part) {
  if (part.empty() || (part.front() >= '0' && part.front() <= '9')) return false;
  std::size_t pos = 0;
  while (pos < part.size()) {
    char32_t c = next_code_point(part, pos);
    if (c != U'_' && !is_unicode_alphanumeric(c)) return false;
  }
  return true;
}

std::string table_source(Dialect dialect, std::string_view table) {
  if (table.find_first_of("\"`") != std::string_view::npos) return std::string(table);
  std::string out;
  out.reserve(table.size() + 8);
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
  return out;
}

}  // namespace

std::string from_source(Dialect dialect, const View& view) {
  if (view.table) return table_source(dialect, *view.table);
  if (view.sql) return "(\n  " + *view.sql + "\n)";
  return view.name;
}

}  // namespace orvane
