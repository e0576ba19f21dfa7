// A view document as read, before `inherits_from` references are resolved.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "schema/models/view.h"
#include "schema/yaml/document.h"
#include "schema/yaml/reader.h"

namespace orvane {

// An item that stands only for a global definition: its place in its list and the path.
struct InheritItem {
  std::size_t index = 0;
  std::string inherits_from;
};

// The items of a view document that stand only for global definitions, by list. Items are read
// straight into the view's lists, so a full item is never moved between containers; an item that
// stands for a global definition holds a default record there until resolution replaces it.
struct InheritItems {
  std::vector<InheritItem> entities;
  std::vector<InheritItem> dimensions;
  std::vector<InheritItem> measures;
};

// Reads the view document's root mapping into `view`, a default record that stays where the
// caller keeps it, and returns the items left for resolution. Throws Failure with the reader's
// message.
InheritItems read_raw_view(const yaml::Document& doc, yaml::Documentation documentation,
                           View& view);

}  // namespace orvane
