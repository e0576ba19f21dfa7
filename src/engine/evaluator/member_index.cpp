#include "engine/evaluator/member_index.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

namespace orvane {
namespace {

constexpr MemberKind kKinds[] = {MemberKind::Dimension, MemberKind::Measure, MemberKind::Segment};

template <typename Members>
bool declares(const Members& members, std::string_view name) {
  return std::any_of(members.begin(), members.end(),
                     [&](const auto& member) { return member.name == name; });
}

// The kind a path into `view` would hold after the view's insertions: the last of dimensions,
// measures, segments that declares `member`, as an index into kKinds; -1 when none does.
int last_kind_in(const View& view, std::string_view member) {
  if (declares(view.segments, member)) return 2;
  if (view.measures && declares(*view.measures, member)) return 1;
  if (declares(view.dimensions, member)) return 0;
  return -1;
}

}  // namespace

MemberIndex MemberIndex::build(const SemanticLayer& layer, const ViewsByName& views_by_name) {
  MemberIndex index;
  index.first_view_ = layer.views.data();
  index.views_by_name_ = &views_by_name;
  return index;
}

// Every split of the path at a dot names a (view, member) pair; of the views that declare their
// member, the latest in the layer inserted last, so its kind is the one kept.
const MemberKind* MemberIndex::kind_of(std::string_view path) const {
  std::optional<std::pair<std::size_t, int>> last;  // (view index, kind)
  for (std::size_t dot = path.find('.'); dot != std::string_view::npos;
       dot = path.find('.', dot + 1)) {
    auto found = views_by_name_->find(path.substr(0, dot));
    if (found == views_by_name_->end()) continue;
    const auto position = static_cast<std::size_t>(found->second - first_view_);
    const int kind = last_kind_in(*found->second, path.substr(dot + 1));
    if (kind >= 0 && (!last || position > last->first)) last.emplace(position, kind);
  }
  return last ? &kKinds[last->second] : nullptr;
}

const MemberKind* MemberIndex::kind_of(std::string_view view, std::string_view member) const {
  if (view.find('.') != std::string_view::npos || member.find('.') != std::string_view::npos) {
    std::string path;
    path.reserve(view.size() + 1 + member.size());
    path.append(view).append(".").append(member);
    return kind_of(path);
  }
  auto found = views_by_name_->find(view);
  if (found == views_by_name_->end()) return nullptr;
  return kind_in(*found->second, member);
}

const MemberKind* MemberIndex::kind_in(const View& view, std::string_view member) const {
  const int kind = last_kind_in(view, member);
  return kind >= 0 ? &kKinds[kind] : nullptr;
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
