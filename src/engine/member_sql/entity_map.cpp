#include "engine/member_sql/entity_map.h"

namespace orvane {

EntityMap build_entity_map(const Engine& engine, std::string_view base_view,
                           const std::vector<std::string>& joined_views) {
  EntityMap entities;
  if (const View* base = engine.find_view(base_view)) {
    for (const auto& entity : base->entities)
      if (entity.type == EntityType::Primary) entities.insert_or_assign(entity.name, base->name);
  }
  for (const auto& name : joined_views) {
    const View* view = engine.find_view(name);
    if (!view) continue;
    for (const auto& entity : view->entities)
      if (entity.type == EntityType::Primary) entities.try_emplace(entity.name, view->name);
  }
  return entities;
}

const EntityMap& no_entities() {
  static const EntityMap empty;
  return empty;
}

}  // namespace orvane
