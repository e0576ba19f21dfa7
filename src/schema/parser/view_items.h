// The untagged entity, dimension and measure items of a view document. Scalars inside an item
// are typed by the core schema; each item is tried as its full form, then as a bare
// `inherits_from`, and fails with the untagged-item message of its kind when neither fits.
#pragma once

#include <vector>

#include "schema/parser/raw_view.h"
#include "schema/yaml/reader.h"

namespace orvane {

// Each reads a sequence of items onto the end of `items`; an inherit item adds a default record
// there and its path to `inherited`.
void read_entity_items(const yaml::Reader& reader, const yaml::Node& node,
                       std::vector<Entity>& items, std::vector<InheritItem>& inherited);
void read_dimension_items(const yaml::Reader& reader, const yaml::Node& node,
                          std::vector<Dimension>& items, std::vector<InheritItem>& inherited);
void read_measure_items(const yaml::Reader& reader, const yaml::Node& node,
                        std::vector<Measure>& items, std::vector<InheritItem>& inherited);

}  // namespace orvane
