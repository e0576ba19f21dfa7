// The untagged entity, dimension and measure items of a view document. Scalars inside an item
// are typed by the core schema; each item is tried as its full form, then as a bare
// `inherits_from`, and fails with the untagged-item message of its kind when neither fits.
#pragma once

#include "schema/parser/raw_view.h"
#include "schema/yaml/reader.h"

namespace orvane {

EntityItem read_entity_item(const yaml::Reader& reader, const yaml::Node& node);
DimensionItem read_dimension_item(const yaml::Reader& reader, const yaml::Node& node);
MeasureItem read_measure_item(const yaml::Reader& reader, const yaml::Node& node);

}  // namespace orvane
