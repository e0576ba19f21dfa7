// Which "view.member" paths name dimensions, measures and segments.
#pragma once

#include <string_view>
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
  struct Slot {
    std::string_view path;  // empty while the slot is free; a member path never is
    MemberKind kind = MemberKind::Dimension;
  };

  // The slot holding `path`, or the free slot where it belongs.
  std::size_t slot_of(std::string_view path) const;

  // Every path back to back, written once at its final size so that the keys never move.
  std::vector<char> paths_;
  // Open addressing with linear probing, at most half full: one allocation for all members.
  std::vector<Slot> slots_;
};

}  // namespace orvane
