// Checks confined to one view at a time: names, the source, members and entity keys.
#include <string_view>
#include <unordered_set>

#include "schema/validation/checks.h"

namespace orvane {
namespace {

void check_source(const View& view, ErrorLines& errors) {
  if (!view.table && !view.sql)
    errors.push_back(view_prefix(view) + "View must have either 'table' or 'sql'");
  else if (view.table && view.sql)
    errors.push_back(view_prefix(view) + "View cannot have both 'table' and 'sql'");
}

void check_dimensions(const View& view, ErrorLines& errors) {
  std::unordered_set<std::string_view> seen;
  for (const auto& dimension : view.dimensions) {
    if (!seen.insert(dimension.name).second)
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

void check_entity_keys(const View& view, ErrorLines& errors) {
  std::unordered_set<std::string_view> dimensions;
  for (const auto& dimension : view.dimensions) dimensions.insert(dimension.name);
  for (const auto& entity : view.entities) {
    for (const auto& key : entity_keys(entity)) {
      if (dimensions.contains(key)) continue;
      errors.push_back(view_prefix(view) + "Entity '" + entity.name + "' references key '" + key +
                       "' which is not a dimension");
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
    check_source(view, errors);
    check_dimensions(view, errors);
    check_measure_exprs(view, errors);
    check_entity_keys(view, errors);
  }
}

}  // namespace orvane
