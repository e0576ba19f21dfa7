// The records of a topic document.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/value.h"
#include "schema/models/view.h"

namespace orvane {

enum class TopicFilterType { Eq, Neq, Gt, Gte, Lt, Lte, In, NotIn, InDateRange, NotInDateRange };

// One default filter. Which operand fields are meaningful follows from `type`: `value` for the
// scalar operators, `values` for in/not_in, `from` and `to` for the date-range operators.
// Operand values keep their YAML type.
struct TopicFilter {
  std::string field;
  TopicFilterType type = TopicFilterType::Eq;
  Value value;
  std::vector<Value> values;
  Value from;
  Value to;
};

struct TopicRetrievalConfig {
  std::vector<std::string> include;
  std::vector<std::string> exclude;
};

struct Topic {
  std::string name;
  std::optional<std::string> description;
  std::vector<std::string> views;
  std::optional<std::string> base_view;
  std::optional<TopicRetrievalConfig> retrieval;
  std::optional<std::vector<TopicFilter>> default_filters;
  std::optional<MetaMap> meta;
};

}  // namespace orvane
