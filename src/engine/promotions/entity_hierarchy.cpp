#include "engine/promotions/entity_hierarchy.h"

#include <unordered_map>

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

}  // namespace

EntityHierarchy collect_entity_hierarchy(const std::vector<View>& views) {
  EntityHierarchy hierarchy;
  for (const auto& view : views) {
    for (const auto& entity : view.entities) {
      if (entity.type != EntityType::Primary) continue;
      hierarchy.owner.try_emplace(entity.name, view.name);
      if (entity.parent) hierarchy.parent.try_emplace(entity.name, *entity.parent);
    }
  }
  return hierarchy;
}

// Walks each parent chain once, iteratively: an entity is grey while its chain is being walked
// and black once the chain reached a root or a finished entity. Only entities with a parent are
// coloured, so a parent without one is a root.
void reject_parent_cycle(const EntityHierarchy& hierarchy) {
  std::unordered_map<std::string_view, Colour> colour;
  for (const auto& [entity, parent] : hierarchy.parent) colour.emplace(entity, Colour::White);
  for (const auto& [start, unused] : hierarchy.parent) {
    if (colour[start] != Colour::White) continue;
    std::vector<std::string_view> chain;
    std::string_view current = start;
    while (true) {
      colour[current] = Colour::Grey;
      chain.push_back(current);
      std::string_view next = hierarchy.parent.find(current)->second;
      auto found = colour.find(next);
      if (found == colour.end() || found->second == Colour::Black) break;
      if (found->second == Colour::Grey) report_cycle(chain, next);
      current = next;
    }
    for (std::string_view entity : chain) colour[entity] = Colour::Black;
  }
}

}  // namespace orvane
