// A view document as read, before `inherits_from` references are resolved.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "schema/models/view.h"
#include "schema/yaml/document.h"

namespace orvane {

// An item that stands only for a global definition.
struct InheritItem {
  std::string inherits_from;
};

using EntityItem = std::variant<Entity, InheritItem>;
using DimensionItem = std::variant<Dimension, InheritItem>;
using MeasureItem = std::variant<Measure, InheritItem>;

struct RawView {
  View view;  // every field but the three item lists
  std::vector<EntityItem> entities;
  std::vector<DimensionItem> dimensions;
  std::optional<std::vector<MeasureItem>> measures;
};

// Reads the view document's root mapping. Throws Failure with the reader's message.
RawView read_raw_view(const yaml::Document& doc);

}  // namespace orvane
