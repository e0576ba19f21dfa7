#include <map>

#include "engine/join_graph/join_graph.h"

namespace orvane {

// A view is multiplied when the joins repeat its rows: it fans out to a many side (the `from`
// of a one-to-many edge), it is the one side of a many-to-one edge (repeated once per row of
// the many side), or it is one of several many sides hanging off the same view (the joins
// cross them with each other).
std::set<std::string> multiplied_views(const std::vector<Relationship>& tree) {
  std::set<std::string> multiplied;
  std::map<std::string_view, std::set<std::string_view>> many_sides;
  for (const auto& relationship : tree) {
    if (relationship.kind == RelationshipKind::OneToMany) {
      multiplied.insert(relationship.from);
      many_sides[relationship.from].insert(relationship.to);
    } else {
      multiplied.insert(relationship.to);
      many_sides[relationship.to].insert(relationship.from);
    }
  }
  for (const auto& [view, neighbours] : many_sides)
    if (neighbours.size() >= 2) multiplied.insert(neighbours.begin(), neighbours.end());
  return multiplied;
}

}  // namespace orvane
