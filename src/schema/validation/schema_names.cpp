#include "schema/validation/schema_names.h"

namespace orvane {

SchemaNames collect_schema_names(const std::vector<View>& views) {
  SchemaNames names;
  // Sized once: growing a hash set rebuilds its buckets each time.
  std::size_t entities = 0;
  for (const auto& view : views) entities += view.entities.size();
  names.last_view_named.reserve(views.size());
  names.entities.reserve(entities);
  for (std::size_t index = 0; index < views.size(); ++index) {
    const View& view = views[index];
    if (!names.last_view_named.insert_or_assign(view.name, &view).second)
      names.repeated_views.push_back(index);
    for (const auto& entity : view.entities) {
      auto declared = names.entities.try_emplace(entity.name, false).first;
      if (entity.type == EntityType::Primary) declared->second = true;
      if (entity.lifespan) names.lifespan_entities.insert(entity.name);
    }
  }
  return names;
}

}  // namespace orvane
