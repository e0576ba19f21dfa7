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

Value to_value(const CompileResult& result) {
  ValueArray columns;
  columns.reserve(result.columns.size());
  for (const auto& column : result.columns) {
    columns.emplace_back(ValueObject{{"alias", Value(column.alias)},
                                     {"kind", Value(std::string(spelling(column.kind)))},
                                     {"member", Value(column.member)}});
  }
  ValueArray params(result.params.begin(), result.params.end());
  return Value(ValueObject{{"columns", Value(std::move(columns))},
                           {"default_limit_applied", Value(result.default_limit_applied)},
                           {"params", Value(std::move(params))},
                           {"sql", Value(result.sql)}});
}

}  // namespace orvane
