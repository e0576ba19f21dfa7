#include "engine/evaluator/member_index.h"

namespace orvane {

MemberIndex MemberIndex::build(const SemanticLayer& layer) {
  MemberIndex index;
  auto put = [&](const std::string& view, const std::string& member, MemberKind kind) {
    std::string path;
    path.reserve(view.size() + 1 + member.size());
    path.append(view).append(".").append(member);
    index.kinds_.insert_or_assign(std::move(path), kind);
  };
  for (const auto& view : layer.views) {
    for (const auto& dimension : view.dimensions)
      put(view.name, dimension.name, MemberKind::Dimension);
    if (view.measures)
      for (const auto& measure : *view.measures) put(view.name, measure.name, MemberKind::Measure);
    for (const auto& segment : view.segments) put(view.name, segment.name, MemberKind::Segment);
  }
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
