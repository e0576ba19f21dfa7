// The entity hierarchy declared by primary entities: who owns an entity and what its parent is.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "schema/models/view.h"

namespace orvane {

struct EntityHierarchy {
  std::map<std::string, std::string, std::less<>> owner;   // entity -> first primary view
  std::map<std::string, std::string, std::less<>> parent;  // entity -> first declared parent
};

EntityHierarchy collect_entity_hierarchy(const std::vector<View>& views);

// Throws a schema error naming the chain when following parents returns to an entity.
void reject_parent_cycle(const EntityHierarchy& hierarchy);

}  // namespace orvane
