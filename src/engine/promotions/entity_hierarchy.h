// The entity hierarchy declared by primary entities: who owns an entity and what its parent is.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "schema/models/view.h"

namespace orvane {

// Views into the views' names, which must outlive it. Both lists are sorted by entity name and
// hold each entity once, as the first declaration in layer order gave it.
struct EntityHierarchy {
  struct Owner {
    std::string_view entity;
    std::string_view view;  // the first view declaring the entity primary
  };
  struct Parent {
    std::string_view entity;
    std::string_view parent;  // the first parent declared on a primary declaration
  };
  static constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);

  std::vector<Owner> owners;
  std::vector<Parent> parents;

  // Positions in `owners` / `parents`, or kAbsent.
  std::size_t owner_index(std::string_view entity) const;
  std::size_t parent_index(std::string_view entity) const;
};

EntityHierarchy collect_entity_hierarchy(const std::vector<View>& views);

// Throws a schema error naming the chain when following parents returns to an entity.
void reject_parent_cycle(const EntityHierarchy& hierarchy);

}  // namespace orvane
