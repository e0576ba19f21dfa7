#include "schema/models/saved_query.h"

namespace orvane {

std::vector<SavedQueryStep> effective_steps(const SavedQuery& query) {
  if (!query.steps.empty()) return query.steps;
  const auto& inline_query = query.inline_query;
  if (!inline_query || (inline_query->measures.empty() && inline_query->dimensions.empty()))
    return {};
  return {SavedQueryStep{query.name, *inline_query, query.description}};
}

}  // namespace orvane
