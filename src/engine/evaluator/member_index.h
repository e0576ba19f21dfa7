// Which "view.member" paths name dimensions, measures and segments.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "schema/models/semantic_layer.h"

namespace orvane {

enum class MemberKind { Dimension, Measure, Segment };

// Answers as if every path had been inserted view by view (within a view dimensions, then
// measures, then segments), a later insertion for the same path replacing the earlier kind.
// A compile asks about a handful of paths, so the index only sorts the view names and looks
// members up in their views when asked. It views into the layer, which must outlive it.
class MemberIndex {
 public:
  static MemberIndex build(const SemanticLayer& layer);

  const MemberKind* kind_of(std::string_view path) const;
  bool is_measure(std::string_view path) const;
  bool is_dimension(std::string_view path) const;

 private:
  const std::vector<View>* views_ = nullptr;
  std::vector<std::pair<std::string_view, std::size_t>> by_name_;  // (view name, index), sorted
};

}  // namespace orvane
