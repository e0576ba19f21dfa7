#include "common/failure.h"
#include "engine/join_graph/join_graph.h"
#include "engine/join_graph/join_search.h"

namespace orvane {

// A relationship over an entity that declares no key columns (on either side) has nothing to
// put in its ON condition; joining over it would pair every row with every row.
void require_key_pairs(const Relationship& relationship) {
  if (!relationship.key_pairs.empty()) return;
  throw join_error("Cannot join '" + relationship.from + "' to '" + relationship.to +
                   "' through entity '" + relationship.entity +
                   "': it has no key columns to pair (set `key` or `keys` on the entity in both "
                   "views)");
}

std::vector<Relationship> join_tree(const JoinGraph& graph, std::string_view base,
                                    const std::vector<std::string>& targets,
                                    const std::vector<std::string>& hints) {
  std::vector<Relationship> tree;
  for (std::size_t edge : join_tree_relationships(graph, base, targets, hints)) {
    require_key_pairs(graph.relationships[edge]);
    tree.push_back(graph.relationships[edge]);
  }
  return tree;
}

}  // namespace orvane
