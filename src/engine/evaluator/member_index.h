// Which "view.member" paths name dimensions, measures and segments.
#pragma once

#include <string_view>
#include <unordered_map>

#include "schema/models/semantic_layer.h"

namespace orvane {

enum class MemberKind { Dimension, Measure, Segment };

// First view of each name.
using ViewsByName = std::unordered_map<std::string_view, const View*>;

// Answers as if every path had been inserted view by view (within a view dimensions, then
// measures, then segments), a later insertion for the same path replacing the earlier kind.
// A compile asks about a handful of paths, so the index builds nothing of its own: it looks the
// views up by name when asked and the members up in their views. The engine builds it only
// after validation, which refuses repeated view names, so each name is one view. It views into
// the layer and the name map, which must outlive it.
class MemberIndex {
 public:
  static MemberIndex build(const SemanticLayer& layer, const ViewsByName& views_by_name);

  const MemberKind* kind_of(std::string_view path) const;
  // The kind of the path `view` "." `member`, without building it when it has one split only.
  const MemberKind* kind_of(std::string_view view, std::string_view member) const;
  // As kind_of(view.name, member) for a view already found by name, when neither the view's name
  // nor `member` holds a full stop.
  const MemberKind* kind_in(const View& view, std::string_view member) const;
  bool is_measure(std::string_view path) const;
  bool is_dimension(std::string_view path) const;

 private:
  const View* first_view_ = nullptr;  // the layer's first view, to order views by position
  const ViewsByName* views_by_name_ = nullptr;
};

}  // namespace orvane
