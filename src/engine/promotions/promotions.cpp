#include "engine/promotions/promotions.h"

#include <deque>
#include <set>
#include <unordered_set>

#include "engine/promotions/entity_hierarchy.h"

namespace orvane {
namespace {

// A step of the walk: the entity being followed, the view that owns it, the path so far.
struct Reach {
  std::string_view entity;
  std::string_view view;
  std::vector<std::string> path;
};

// Offers the promotable measures of `source` to every view its foreign entities reach,
// breadth first and then up the parents of each reached entity. A view reached before keeps
// its first path, and its entity's parents are not followed again from a later item.
void promote_from(const View& source, const EntityHierarchy& hierarchy,
                  InducedMeasureIndex& index) {
  std::deque<Reach> queue;
  for (const auto& entity : source.entities) {
    if (entity.type != EntityType::Foreign) continue;
    auto owner = hierarchy.owner.find(entity.name);
    if (owner == hierarchy.owner.end() || owner->second == source.name) continue;
    queue.push_back({entity.name, owner->second, {entity.name}});
  }
  std::unordered_set<std::string_view> visited{source.name};
  while (!queue.empty()) {
    Reach item = std::move(queue.front());
    queue.pop_front();
    if (!visited.insert(item.view).second) continue;
    for (const auto& measure : *source.measures) {
      if (measure.shift) continue;
      index[{std::string(item.view), measure.name}].push_back(
          {std::string(item.view), source.name, measure.name, item.path});
    }
    auto parent = hierarchy.parent.find(item.entity);
    if (parent == hierarchy.parent.end()) continue;
    auto owner = hierarchy.owner.find(parent->second);
    if (owner == hierarchy.owner.end()) continue;
    std::vector<std::string> path = std::move(item.path);
    path.push_back(parent->second);
    queue.push_back({parent->second, owner->second, std::move(path)});
  }
}

PromotionReportEntry report_entry(const std::pair<std::string, std::string>& key,
                                  const std::vector<InducedCandidate>& candidates) {
  PromotionReportEntry entry{key.first, key.second, {}};
  for (const auto& candidate : candidates)
    entry.sources.emplace_back(candidate.source, candidate.path);
  return entry;
}

std::set<std::pair<std::string_view, std::string_view>> declared_measures(
    const std::vector<View>& views) {
  std::set<std::pair<std::string_view, std::string_view>> declared;
  for (const auto& view : views)
    if (view.measures)
      for (const auto& measure : *view.measures) declared.emplace(view.name, measure.name);
  return declared;
}

bool from_several_sources(const std::vector<InducedCandidate>& candidates) {
  for (const auto& candidate : candidates)
    if (candidate.source != candidates.front().source) return true;
  return false;
}

// Moves shadowed keys out of the index into their report and lists the ambiguous ones; the
// index iterates in (view, measure) order, so both reports come out sorted.
void report_shadowed_and_ambiguous(const std::vector<View>& views, PromotionAnalysis& analysis) {
  const auto declared = declared_measures(views);
  for (auto it = analysis.index.begin(); it != analysis.index.end();) {
    if (declared.contains({it->first.first, it->first.second})) {
      analysis.shadowed.push_back(report_entry(it->first, it->second));
      it = analysis.index.erase(it);
      continue;
    }
    if (from_several_sources(it->second))
      analysis.ambiguous.push_back(report_entry(it->first, it->second));
    ++it;
  }
}

}  // namespace

PromotionAnalysis analyse_promotions(const std::vector<View>& views) {
  EntityHierarchy hierarchy = collect_entity_hierarchy(views);
  reject_parent_cycle(hierarchy);
  PromotionAnalysis analysis;
  for (const auto& view : views)
    if (view.measures && !view.measures->empty()) promote_from(view, hierarchy, analysis.index);
  report_shadowed_and_ambiguous(views, analysis);
  analysis.entity_owner = std::move(hierarchy.owner);
  analysis.entity_parent = std::move(hierarchy.parent);
  return analysis;
}

}  // namespace orvane
