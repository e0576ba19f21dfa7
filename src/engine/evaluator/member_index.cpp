#include "engine/evaluator/member_index.h"

#include <algorithm>
#include <functional>

namespace orvane {
namespace {

// Calls `visit(view, member, kind)` for every member, in insertion order.
template <typename Visit>
void for_each_member(const SemanticLayer& layer, Visit visit) {
  for (const auto& view : layer.views) {
    for (const auto& dimension : view.dimensions)
      visit(view.name, dimension.name, MemberKind::Dimension);
    if (view.measures)
      for (const auto& measure : *view.measures)
        visit(view.name, measure.name, MemberKind::Measure);
    for (const auto& segment : view.segments) visit(view.name, segment.name, MemberKind::Segment);
  }
}

// A power of two with room for twice `count` entries.
std::size_t table_size(std::size_t count) {
  std::size_t size = 16;
  while (size < 2 * count) size *= 2;
  return size;
}

}  // namespace

MemberIndex MemberIndex::build(const SemanticLayer& layer) {
  MemberIndex index;
  std::size_t bytes = 0;
  std::size_t count = 0;
  for_each_member(layer, [&](std::string_view view, std::string_view member, MemberKind) {
    bytes += view.size() + 1 + member.size();
    ++count;
  });
  index.paths_.resize(bytes);
  index.slots_.resize(table_size(count));
  char* out = index.paths_.data();
  for_each_member(layer, [&](std::string_view view, std::string_view member, MemberKind kind) {
    char* start = out;
    out = std::copy(view.begin(), view.end(), out);
    *out++ = '.';
    out = std::copy(member.begin(), member.end(), out);
    const std::string_view path(start, static_cast<std::size_t>(out - start));
    Slot& slot = index.slots_[index.slot_of(path)];
    if (slot.path.empty()) slot.path = path;
    slot.kind = kind;
  });
  return index;
}

std::size_t MemberIndex::slot_of(std::string_view path) const {
  const std::size_t mask = slots_.size() - 1;
  const std::size_t hash = std::hash<std::string_view>{}(path);
  std::size_t at = hash & mask;
  while (!slots_[at].path.empty() && slots_[at].path != path) at = (at + 1) & mask;
  return at;
}

const MemberKind* MemberIndex::kind_of(std::string_view path) const {
  if (slots_.empty() || path.empty()) return nullptr;
  const Slot& slot = slots_[slot_of(path)];
  return slot.path.empty() ? nullptr : &slot.kind;
}

bool MemberIndex::is_measure(std::string_view path) const {
  const MemberKind* kind = kind_of(path);
  return kind && *kind == MemberKind::Measure;
}

bool MemberIndex::is_dimension(std::string_view path) const {
  const MemberKind* kind = kind_of(path);
  return kind && *kind == MemberKind::Dimension;
}

}  // namespace orvane
