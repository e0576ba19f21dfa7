// Checks on entities across views: foreign entities without a primary, lifespans, parents.
#include <string_view>

#include "schema/validation/checks.h"
#include "schema/validation/warnings.h"

namespace orvane {
namespace {

// The view named in `from` supplies the cohort for this entity, so it must declare the same
// entity with keys that pair up one to one with this entity's keys.
void check_lifespan_source(const View& view, const Entity& entity, const std::string& from,
                           const SchemaNames& names, ErrorLines& errors) {
  const std::string head = view_prefix(view) + "entity '" + entity.name + "' ";
  const auto source = names.last_view_named.find(from);
  if (source == names.last_view_named.end()) {
    errors.push_back(head + "lifespan `from: " + from + "` names a view that does not exist");
    return;
  }
  const Entity* counterpart = find_entity(*source->second, entity.name);
  if (!counterpart) {
    errors.push_back(head + "lifespan `from: " + from +
                     "` must declare the same entity, but view '" + from +
                     "' does not have entity '" + entity.name + "'");
    return;
  }
  const auto own_keys = entity_keys(entity);
  const auto source_keys = entity_keys(*counterpart);
  if (source_keys.empty())
    errors.push_back(head + "lifespan `from: " + from + "` \u2014 entity '" + entity.name +
                     "' on '" + from + "' has no keys; cannot group lifespan aggregation");
  if (!own_keys.empty() && !source_keys.empty() && own_keys.size() != source_keys.size())
    errors.push_back(head + "declares " + std::to_string(own_keys.size()) + " key(s), but `from: " +
                     from + "` declares " + std::to_string(source_keys.size()) +
                     "; both must expose the same number of keys (paired positionally for the "
                     "cohort JOIN)");
}

}  // namespace

void warn_unmatched_foreign_entities(const std::vector<View>& views, const SchemaNames& names) {
  for (const auto& view : views) {
    for (const auto& entity : view.entities) {
      if (entity.type != EntityType::Foreign || names.has_primary_entity(entity.name)) continue;
      write_warning("Warning: " + view_prefix(view) + "Foreign entity '" + entity.name +
                    "' has no matching primary entity in any view \u2014 join will not be "
                    "available\n");
    }
  }
}

void check_entity_lifespans(const std::vector<View>& views, const SchemaNames& names,
                            ErrorLines& errors) {
  for (const auto& view : views)
    for (const auto& entity : view.entities)
      if (entity.lifespan && entity.lifespan->from)
        check_lifespan_source(view, entity, *entity.lifespan->from, names, errors);
}

// A parent belongs on the primary declaration and must itself be some view's primary entity,
// otherwise the hierarchy cannot be climbed.
void check_entity_parents(const std::vector<View>& views, const SchemaNames& names,
                          ErrorLines& errors) {
  for (const auto& view : views) {
    for (const auto& entity : view.entities) {
      if (!entity.parent) continue;
      const std::string& parent = *entity.parent;
      const std::string head =
          view_prefix(view) + "entity '" + entity.name + "' declares `parent: " + parent + "` but ";
      if (entity.type == EntityType::Foreign)
        errors.push_back(head +
                         "is not a primary entity. The parent relationship is intrinsic to the "
                         "entity and belongs on its primary declaration; foreign declarations are "
                         "usages and cannot carry `parent:`.");
      else if (!names.has_primary_entity(parent))
        errors.push_back(head + "no view declares '" + parent +
                         "' as a primary entity. The hierarchy dead-ends; the chain cannot be "
                         "walked.");
    }
  }
}

}  // namespace orvane
