#include "engine/promotions/entity_hierarchy.h"

#include <algorithm>

#include "common/failure.h"

namespace orvane {
namespace {

enum class Colour { White, Grey, Black };

[[noreturn]] void report_cycle(const std::vector<std::string_view>& chain,
                               std::string_view repeated) {
  std::size_t first = 0;
  while (chain[first] != repeated) ++first;
  std::string walked;
  for (std::size_t i = first; i < chain.size(); ++i) {
    if (i > first) walked += " \u2192 ";
    walked += chain[i];
  }
  throw schema_error("entity parent hierarchy has a cycle: " + walked + " \u2192 " +
                     std::string(repeated));
}

// Sorts by entity, keeping for each entity only its first entry in the original order.
template <typename Entry>
void keep_first_by_entity(std::vector<Entry>& entries) {
  auto by_entity = [](const Entry& a, const Entry& b) { return a.entity < b.entity; };
  std::stable_sort(entries.begin(), entries.end(), by_entity);
  auto same_entity = [](const Entry& a, const Entry& b) { return a.entity == b.entity; };
  entries.erase(std::unique(entries.begin(), entries.end(), same_entity), entries.end());
}

template <typename Entry>
std::size_t index_of(const std::vector<Entry>& entries, std::string_view entity) {
  auto found = std::lower_bound(
      entries.begin(), entries.end(), entity,
      [](const Entry& entry, std::string_view name) { return entry.entity < name; });
  if (found == entries.end() || found->entity != entity) return EntityHierarchy::kAbsent;
  return static_cast<std::size_t>(found - entries.begin());
}

}  // namespace

std::size_t EntityHierarchy::owner_index(std::string_view entity) const {
  return index_of(owners, entity);
}

std::size_t EntityHierarchy::parent_index(std::string_view entity) const {
  return index_of(parents, entity);
}

EntityHierarchy collect_entity_hierarchy(const std::vector<View>& views) {
  EntityHierarchy hierarchy;
  for (const auto& view : views) {
    for (const auto& entity : view.entities) {
      if (entity.type != EntityType::Primary) continue;
      hierarchy.owners.push_back({entity.name, view.name});
      if (entity.parent) hierarchy.parents.push_back({entity.name, *entity.parent});
    }
  }
  keep_first_by_entity(hierarchy.owners);
  keep_first_by_entity(hierarchy.parents);
  return hierarchy;
}

// Walks each parent chain once, iteratively: an entity is grey while its chain is being walked
// and black once the chain reached a root or a finished entity. Only entities with a parent are
// coloured, so a parent without one is a root.
void reject_parent_cycle(const EntityHierarchy& hierarchy) {
  const auto& parents = hierarchy.parents;
  std::vector<Colour> colour(parents.size(), Colour::White);
  for (std::size_t start = 0; start < parents.size(); ++start) {
    if (colour[start] != Colour::White) continue;
    std::vector<std::size_t> chain;
    std::size_t current = start;
    while (true) {
      colour[current] = Colour::Grey;
      chain.push_back(current);
      const std::string_view next = parents[current].parent;
      const std::size_t found = hierarchy.parent_index(next);
      if (found == EntityHierarchy::kAbsent || colour[found] == Colour::Black) break;
      if (colour[found] == Colour::Grey) {
        std::vector<std::string_view> names;
        for (std::size_t index : chain) names.push_back(parents[index].entity);
        report_cycle(names, next);
      }
      current = found;
    }
    for (std::size_t index : chain) colour[index] = Colour::Black;
  }
}

}  // namespace orvane
