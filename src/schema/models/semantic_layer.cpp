#include "schema/models/semantic_layer.h"

namespace orvane {

const View* find_view(const SemanticLayer& layer, std::string_view name) {
  for (const auto& view : layer.views)
    if (view.name == name) return &view;
  return nullptr;
}

}  // namespace orvane
