// Checks confined to one view at a time: names, the source, members and entity keys.
#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "schema/validation/checks.h"

namespace orvane {
namespace {

void check_source(const View& view, ErrorLines& errors) {
  if (!view.table && !view.sql)
    errors.push_back(view_prefix(view) + "View must have either 'table' or 'sql'");
  else if (view.table && view.sql)
    errors.push_back(view_prefix(view) + "View cannot have both 'table' and 'sql'");
}

// The view's dimension names, sorted, and which declarations repeat an earlier name. One sorted
// list serves both the duplicate check and the entity key look-ups, without a set per view.
struct DimensionNames {
  std::vector<std::string_view> sorted;
  std::vector<bool> repeated;  // by declaration index
};

DimensionNames dimension_names(const View& view) {
  const auto& dimensions = view.dimensions;
  std::vector<std::size_t> order(dimensions.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  // Stable, so the first declaration of each name leads its run.
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return dimensions[a].name < dimensions[b].name;
  });
  DimensionNames names{{}, std::vector<bool>(dimensions.size(), false)};
  names.sorted.reserve(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    const std::string_view name = dimensions[order[i]].name;
    if (i > 0 && names.sorted.back() == name) names.repeated[order[i]] = true;
    names.sorted.push_back(name);
  }
  return names;
}

void check_dimensions(const View& view, const DimensionNames& names, ErrorLines& errors) {
  for (std::size_t i = 0; i < view.dimensions.size(); ++i) {
    const auto& dimension = view.dimensions[i];
    if (names.repeated[i])
      errors.push_back(view_prefix(view) + "Duplicate dimension name: '" + dimension.name + "'");
    if (dimension.expr.empty())
      errors.push_back(view_prefix(view) + "Dimension '" + dimension.name + "' has empty expr");
  }
}

// A count needs no column and a shift measure takes its value from its base measure.
void check_measure_exprs(const View& view, ErrorLines& errors) {
  if (!view.measures) return;
  for (const auto& measure : *view.measures) {
    if (measure.expr || measure.type == MeasureType::Count || measure.shift) continue;
    errors.push_back(view_prefix(view) + "Measure '" + measure.name + "' of type " +
                     std::string(spelling(measure.type)) + " requires an expr");
  }
}

void check_entity_key(const View& view, const Entity& entity, const std::string& key,
                      const DimensionNames& names, ErrorLines& errors) {
  if (std::binary_search(names.sorted.begin(), names.sorted.end(), std::string_view(key))) return;
  errors.push_back(view_prefix(view) + "Entity '" + entity.name + "' references key '" + key +
                   "' which is not a dimension");
}

// The entity's key columns as entity_keys lists them, read in place.
void check_entity_keys(const View& view, const DimensionNames& names, ErrorLines& errors) {
  for (const auto& entity : view.entities) {
    if (entity.keys) {
      for (const auto& key : *entity.keys) check_entity_key(view, entity, key, names, errors);
    } else if (entity.key) {
      check_entity_key(view, entity, *entity.key, names, errors);
    }
  }
}

}  // namespace

void check_view_names(const std::vector<View>& views, ErrorLines& errors) {
  std::unordered_set<std::string_view> seen;
  for (const auto& view : views)
    if (!seen.insert(view.name).second)
      errors.push_back("Duplicate view name: '" + view.name + "'");
}

void check_view_structure(const std::vector<View>& views, ErrorLines& errors) {
  for (const auto& view : views) {
    const DimensionNames names = dimension_names(view);
    check_source(view, errors);
    check_dimensions(view, names, errors);
    check_measure_exprs(view, errors);
    check_entity_keys(view, names, errors);
  }
}

}  // namespace orvane
