// Checks confined to one view at a time: names, the source, members and entity keys.
#include <cstdint>
#include <string>
#include <string_view>
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

// The view's dimension names in a small probing table, and which declarations repeat an earlier
// name. One table serves both the duplicate check and the entity key look-ups; it is reused from
// view to view, so checking allocates only when a view has more dimensions than any before.
// FNV-1a: dimension names are short, and a hash computed inline beats a call into the library's.
std::size_t name_hash(std::string_view name) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  }
  return static_cast<std::size_t>(hash);
}

class DimensionNames {
 public:
  void collect(const View& view) {
    std::size_t size = 16;
    while (size < 2 * view.dimensions.size()) size *= 2;
    slots_.assign(size, nullptr);
    repeated_.clear();
    for (std::size_t i = 0; i < view.dimensions.size(); ++i) {
      const std::string*& slot = slots_[slot_of(view.dimensions[i].name)];
      if (slot)
        repeated_.push_back(i);
      else
        slot = &view.dimensions[i].name;
    }
  }
  // The declaration indexes that repeat an earlier name, ascending; usually none.
  const std::vector<std::size_t>& repeated() const { return repeated_; }
  bool contains(std::string_view name) const { return slots_[slot_of(name)] != nullptr; }

 private:
  // The slot holding `name`, or the free slot where it belongs.
  std::size_t slot_of(std::string_view name) const {
    const std::size_t mask = slots_.size() - 1;
    const std::size_t hash = name_hash(name);
    std::size_t at = hash & mask;
    while (slots_[at] && *slots_[at] != name) at = (at + 1) & mask;
    return at;
  }

  std::vector<const std::string*> slots_;
  std::vector<std::size_t> repeated_;
};

void check_dimensions(const View& view, const DimensionNames& names, ErrorLines& errors) {
  auto repeated = names.repeated().begin();
  for (std::size_t i = 0; i < view.dimensions.size(); ++i) {
    const auto& dimension = view.dimensions[i];
    if (repeated != names.repeated().end() && *repeated == i) {
      ++repeated;
      errors.push_back(view_prefix(view) + "Duplicate dimension name: '" + dimension.name + "'");
    }
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
  if (names.contains(key)) return;
  errors.push_back(view_prefix(view) + "Entity '" + entity.name + "' references key '" + key +
                   "' which is not a dimension");
}

void check_entity_keys(const View& view, const DimensionNames& names, ErrorLines& errors) {
  for (const auto& entity : view.entities)
    for (const auto& key : entity_keys(entity)) check_entity_key(view, entity, key, names, errors);
}

}  // namespace

void check_view_names(const std::vector<View>& views, const SchemaNames& names,
                      ErrorLines& errors) {
  for (std::size_t index : names.repeated_views)
    errors.push_back("Duplicate view name: '" + views[index].name + "'");
}

void check_view_structure(const std::vector<View>& views, ErrorLines& errors) {
  DimensionNames names;
  for (const auto& view : views) {
    names.collect(view);
    check_source(view, errors);
    check_dimensions(view, names, errors);
    check_measure_exprs(view, errors);
    check_entity_keys(view, names, errors);
  }
}

}  // namespace orvane
