// The entity hierarchy declared by primary entities: who owns an entity and what its parent is.
#pragma once

#include <map>
#include <string_view>
#include <vector>

#include "schema/models/view.h"

namespace orvane {

// Views into the views' names, which must outlive it.
struct EntityHierarchy {
  std::map<std::string_view, std::string_view> owner;   // entity -> first primary view
  std::map<std::string_view, std::string_view> parent;  // entity -> first declared parent
};

EntityHierarchy collect_entity_hierarchy(const std::vector<View>& views);

// Throws a schema error naming the chain when following parents returns to an entity.
void reject_parent_cycle(const EntityHierarchy& hierarchy);

}  // namespace orvane
