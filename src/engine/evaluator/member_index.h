// Which "view.member" paths name dimensions, measures and segments.
#pragma once

#include <string_view>
#include <unordered_map>
#include <vector>

#include "schema/models/semantic_layer.h"

namespace orvane {

enum class MemberKind { Dimension, Measure, Segment };

// Move-only: the keys view into the index's own text of paths.
class MemberIndex {
 public:
  MemberIndex() = default;
  MemberIndex(MemberIndex&&) = default;
  MemberIndex& operator=(MemberIndex&&) = default;
  MemberIndex(const MemberIndex&) = delete;
  MemberIndex& operator=(const MemberIndex&) = delete;

  // Inserted view by view; within a view dimensions, then measures, then segments. A later
  // insertion for the same path replaces the earlier kind.
  static MemberIndex build(const SemanticLayer& layer);

  const MemberKind* kind_of(std::string_view path) const;
  bool is_measure(std::string_view path) const;
  bool is_dimension(std::string_view path) const;

 private:
  // Every path back to back, written once at its final size so that the keys never move.
  std::vector<char> paths_;
  std::unordered_map<std::string_view, MemberKind> kinds_;
};

}  // namespace orvane
