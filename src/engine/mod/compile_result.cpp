#include "engine/mod/compile_result.h"

namespace orvane {

std::string_view spelling(ColumnKind kind) {
  switch (kind) {
    case ColumnKind::Dimension:
      return "Dimension";
    case ColumnKind::Measure:
      return "Measure";
    case ColumnKind::TimeDimension:
      return "TimeDimension";
    case ColumnKind::MotifComputed:
      return "MotifComputed";
  }
  return "";
}

std::string column_alias(std::string_view member) {
  std::string alias;
  alias.reserve(member.size() + 2);
  std::size_t start = 0;
  for (std::size_t dot = member.find('.'); dot != std::string_view::npos;
       dot = member.find('.', start)) {
    alias.append(member.substr(start, dot - start)).append("__");
    start = dot + 1;
  }
  alias.append(member.substr(start));
  return alias;
}

}  // namespace orvane
