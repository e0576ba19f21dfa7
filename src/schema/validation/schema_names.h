// The name sets that several checks look names up in, collected in one pass over the views so
// that no check walks all views again for each view it visits.
#pragma once

#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "schema/models/view.h"

namespace orvane {

struct SchemaNames {
  // Every view name; when several views share a name, the last of them.
  std::unordered_map<std::string_view, const View*> last_view_named;
  // Positions of the views whose name an earlier view already has, in layer order.
  std::vector<std::size_t> repeated_views;
  // Every entity name, with whether some view declares it primary.
  std::unordered_map<std::string_view, bool> entities;
  // Entities that declare a `lifespan` somewhere.
  std::unordered_set<std::string_view> lifespan_entities;

  bool has_view(std::string_view name) const { return last_view_named.contains(name); }
  bool has_entity(std::string_view name) const { return entities.contains(name); }
  bool has_primary_entity(std::string_view name) const {
    auto found = entities.find(name);
    return found != entities.end() && found->second;
  }
};

// The views must outlive the result: it holds views into their names.
SchemaNames collect_schema_names(const std::vector<View>& views);

}  // namespace orvane
