// Reading a view enumeration by its document spelling.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "schema/models/view.h"
#include "schema/yaml/reader.h"

namespace orvane {

// Reads an enumeration of `Count` members whose spellings come from `spelling(E)`; another
// word fails with "unknown variant" listing them in order.
template <typename E, std::size_t Count>
E read_enum(const yaml::Reader& reader, const yaml::Node& node) {
  static const std::array<std::string_view, Count> spellings = [] {
    std::array<std::string_view, Count> out{};
    for (std::size_t i = 0; i < Count; ++i) out[i] = spelling(static_cast<E>(i));
    return out;
  }();
  static const yaml::FieldNames table(spellings);
  return static_cast<E>(reader.variant(node, table, spellings));
}

}  // namespace orvane
