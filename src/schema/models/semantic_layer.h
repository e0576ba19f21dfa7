// The loaded documents of one call.
#pragma once

#include <optional>
#include <vector>

#include "schema/models/motif.h"
#include "schema/models/saved_query.h"
#include "schema/models/topic.h"
#include "schema/models/view.h"

namespace orvane {

struct SemanticLayer {
  std::vector<View> views;
  // Each optional list is absent when the caller gave no documents of that kind.
  std::optional<std::vector<Topic>> topics;
  std::optional<std::vector<Motif>> motifs;
  std::optional<std::vector<SavedQuery>> saved_queries;
};

}  // namespace orvane
