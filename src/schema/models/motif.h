// The records of a motif document.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/value.h"
#include "schema/models/view.h"

namespace orvane {

enum class MotifKind { Builtin, Custom };
enum class MotifParamType { Measure, Dimension, Number, String, Enum };
enum class MotifConstraint { Numeric, Temporal };

struct MotifParam {
  MotifParamType type = MotifParamType::Number;
  std::vector<MotifConstraint> constraints;
  std::optional<Value> default_value;  // the document's `default`
  std::optional<std::string> description;
  std::optional<std::vector<std::string>> values;
};

struct MotifOutputColumn {
  std::string name;
  std::string expr;
};

struct Motif {
  std::string name;
  std::optional<std::string> description;
  MotifKind kind = MotifKind::Custom;        // the document's `type`
  std::map<std::string, MotifParam> params;  // order not fixed; a repeated name: last wins
  std::optional<std::string> returns;
  std::vector<MotifOutputColumn> outputs;  // `outputs`, also spelled `adds`
  std::optional<MetaMap> meta;
};

}  // namespace orvane
