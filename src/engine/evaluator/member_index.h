// Which "view.member" paths name dimensions, measures and segments.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "schema/models/semantic_layer.h"

namespace orvane {

enum class MemberKind { Dimension, Measure, Segment };

class MemberIndex {
 public:
  // Inserted view by view; within a view dimensions, then measures, then segments. A later
  // insertion for the same path replaces the earlier kind.
  static MemberIndex build(const SemanticLayer& layer);

  const MemberKind* kind_of(std::string_view path) const;
  bool is_measure(std::string_view path) const;
  bool is_dimension(std::string_view path) const;

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, MemberKind, Hash, std::equal_to<>> kinds_;
};

}  // namespace orvane
