// Which view owns each entity as its primary entity, for `{{ entity.field }}` references.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "engine/mod/engine.h"

namespace orvane {

using EntityMap = std::map<std::string, std::string, std::less<>>;

// The base view's primary entities (a later one of the same name wins), then each joined view's
// primary entities whose names are not yet taken. Views that do not exist are skipped.
EntityMap build_entity_map(const Engine& engine, std::string_view base_view,
                           const std::vector<std::string>& joined_views);

// The empty map, for what renders without the query's entities: filters, join keys and
// correlated subqueries.
const EntityMap& no_entities();

}  // namespace orvane
