// What a compile call returns.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvane {

enum class ColumnKind { Dimension, Measure, TimeDimension, MotifComputed };

std::string_view spelling(ColumnKind kind);

struct OutputColumn {
  std::string member;  // the member as the caller named it
  std::string alias;   // the member with every "." replaced by "__"
  ColumnKind kind = ColumnKind::Dimension;
};

struct CompileResult {
  std::string sql;
  std::vector<std::string> params;
  std::vector<OutputColumn> columns;
  bool default_limit_applied = false;
};

// The member with every full stop replaced by two underscores.
std::string column_alias(std::string_view member);

}  // namespace orvane
