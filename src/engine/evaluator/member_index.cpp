#include "engine/evaluator/member_index.h"

#include <algorithm>

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
  index.kinds_.reserve(count);
  char* out = index.paths_.data();
  for_each_member(layer, [&](std::string_view view, std::string_view member, MemberKind kind) {
    char* start = out;
    out = std::copy(view.begin(), view.end(), out);
    *out++ = '.';
    out = std::copy(member.begin(), member.end(), out);
    index.kinds_.insert_or_assign(std::string_view(start, static_cast<std::size_t>(out - start)),
                                  kind);
  });
  return index;
}

const MemberKind* MemberIndex::kind_of(std::string_view path) const {
  auto it = kinds_.find(path);
  return it == kinds_.end() ? nullptr : &it->second;
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
