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
  for (char c : member) {
    if (c == '.')
      alias += "__";
    else
      alias += c;
  }
  return alias;
}

}  // namespace orvane
