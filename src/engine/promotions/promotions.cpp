#include "engine/promotions/promotions.h"

#include <algorithm>

#include "engine/promotions/entity_hierarchy.h"

namespace orvane {
namespace {

// A step of the walk: the entity being followed, the rank of the view that owns it and the step
// it was reached from (none for a source's own entity), through which its path is read back.
struct Reach {
  std::string_view entity;
  std::size_t view_rank = 0;
  std::size_t previous = 0;
};
constexpr std::size_t kNoStep = static_cast<std::size_t>(-1);
// The rank of a view that owns no entity and so receives nothing.
constexpr std::size_t kNoRank = static_cast<std::size_t>(-1);

// A candidate while the analysis runs: its path is a range of the step list, which still grows.
// The receiving view is named by its rank in name order.
struct Pending {
  std::size_t view_rank = 0;
  std::string_view source;
  std::string_view measure;
  std::size_t first_step = 0;
  std::size_t step_count = 0;
};

// Every view's measure names, each marked with whether the view offers it (shift measures are
// not offered), view after view. A view's names are sorted on first use and then serve both the
// walks and the shadow check; a schema without promotions sorts none. Equal names are equal
// texts, so their order among themselves cannot show.
class MeasureNames {
 public:
  struct Name {
    std::string_view name;
    bool offered = false;
  };

  explicit MeasureNames(const std::vector<View>& views) {
    std::size_t count = 0;
    for (const auto& view : views)
      if (view.measures) count += view.measures->size();
    names_.reserve(count);
    end_.reserve(views.size());
    for (const auto& view : views) {
      if (view.measures)
        for (const auto& measure : *view.measures) names_.push_back({measure.name, !measure.shift});
      end_.push_back(names_.size());
    }
    sorted_.assign(views.size(), false);
  }

  std::span<const Name> sorted(std::size_t view) {
    const std::size_t begin = view == 0 ? 0 : end_[view - 1];
    const auto first = names_.begin() + static_cast<std::ptrdiff_t>(begin);
    const auto last = names_.begin() + static_cast<std::ptrdiff_t>(end_[view]);
    if (!sorted_[view]) {
      std::sort(first, last, [](const Name& a, const Name& b) { return a.name < b.name; });
      sorted_[view] = true;
    }
    return {names_.data() + begin, end_[view] - begin};
  }

 private:
  std::vector<Name> names_;
  std::vector<std::size_t> end_;  // per view: one past its last name
  std::vector<bool> sorted_;
};

struct Collected {
  std::vector<std::string_view> receivers;  // every entity owner's name, sorted, once each
  std::vector<std::size_t> owner_rank;      // per entry of the hierarchy's owners: its view's rank
  std::vector<std::size_t> view_rank;       // per view of the layer: its rank, or kNoRank
  std::vector<std::string_view> offered;    // the current source's offered measures, by name
  std::vector<Pending> pending;
  std::vector<std::string_view> steps;
  // Scratch of the walks, reused from source to source: the queue keeps every step so paths
  // can be read back, and a receiver is visited by the walk whose number it holds.
  std::vector<Reach> queue;
  std::vector<std::size_t> visited_by;
  std::size_t walk = 0;
  // Per receiver: how many walks reached it, each adding one sorted block of candidates.
  std::vector<std::size_t> blocks;
};

std::vector<std::string_view> receiving_views(const EntityHierarchy& hierarchy) {
  std::vector<std::string_view> names;
  names.reserve(hierarchy.owners.size());
  for (const auto& owner : hierarchy.owners) names.push_back(owner.view);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

std::size_t rank_of(const std::vector<std::string_view>& receivers, std::string_view view) {
  return static_cast<std::size_t>(std::lower_bound(receivers.begin(), receivers.end(), view) -
                                  receivers.begin());
}

// Each owner's rank and each view's rank (kNoRank for a view that owns no entity), looked up
// once rather than at every reach.
void rank_owners_and_views(const std::vector<View>& views, const EntityHierarchy& hierarchy,
                           Collected& collected) {
  collected.owner_rank.reserve(hierarchy.owners.size());
  for (const auto& owner : hierarchy.owners)
    collected.owner_rank.push_back(rank_of(collected.receivers, owner.view));
  collected.view_rank.reserve(views.size());
  for (const auto& view : views) {
    const std::size_t rank = rank_of(collected.receivers, view.name);
    const bool receives =
        rank < collected.receivers.size() && collected.receivers[rank] == view.name;
    collected.view_rank.push_back(receives ? rank : kNoRank);
  }
}

// The measures a view offers, sorted by name. Offered in this order, each reach adds an already
// sorted block.
void list_offered(std::span<const MeasureNames::Name> measures,
                  std::vector<std::string_view>& offered) {
  offered.clear();
  for (const auto& measure : measures)
    if (measure.offered) offered.push_back(measure.name);
}

// Appends the entity names from the walk's start to `step`, in walk order.
void append_path(Collected& collected, std::size_t step) {
  const std::size_t first = collected.steps.size();
  for (; step != kNoStep; step = collected.queue[step].previous)
    collected.steps.push_back(collected.queue[step].entity);
  std::reverse(collected.steps.begin() + static_cast<std::ptrdiff_t>(first), collected.steps.end());
}

// Offers the promotable measures of `source` to every view its foreign entities reach,
// breadth first and then up the parents of each reached entity. A view reached before keeps
// its first path, and its entity's parents are not followed again from a later item.
void promote_from(const View& source, std::size_t source_index, std::size_t own_rank,
                  MeasureNames& measures, const EntityHierarchy& hierarchy, Collected& collected) {
  auto& queue = collected.queue;
  queue.clear();
  for (const auto& entity : source.entities) {
    if (entity.type != EntityType::Foreign) continue;
    const std::size_t owner = hierarchy.owner_index(entity.name);
    if (owner == EntityHierarchy::kAbsent || hierarchy.owners[owner].view == source.name) continue;
    queue.push_back({entity.name, collected.owner_rank[owner], kNoStep});
  }
  if (queue.empty()) return;
  list_offered(measures.sorted(source_index), collected.offered);
  const std::size_t walk = ++collected.walk;
  if (own_rank != kNoRank) collected.visited_by[own_rank] = walk;
  for (std::size_t step = 0; step < queue.size(); ++step) {
    const Reach item = queue[step];
    if (collected.visited_by[item.view_rank] == walk) continue;
    collected.visited_by[item.view_rank] = walk;
    ++collected.blocks[item.view_rank];
    const std::size_t first_step = collected.steps.size();
    append_path(collected, step);
    const std::size_t step_count = collected.steps.size() - first_step;
    for (std::string_view measure : collected.offered)
      collected.pending.push_back({item.view_rank, source.name, measure, first_step, step_count});
    const std::size_t parent = hierarchy.parent_index(item.entity);
    if (parent == EntityHierarchy::kAbsent) continue;
    const std::string_view parent_entity = hierarchy.parents[parent].parent;
    const std::size_t owner = hierarchy.owner_index(parent_entity);
    if (owner == EntityHierarchy::kAbsent) continue;
    queue.push_back({parent_entity, collected.owner_rank[owner], step});
  }
}

bool measure_less(const Pending& a, const Pending& b) {
  return a.measure < b.measure;
}

// Sorts a view's run stably by measure. The run is a few sorted blocks back to back, so merging
// its ascending stretches left to right gives the stable order with far fewer comparisons.
void merge_sorted_stretches(std::vector<Pending>::iterator first,
                            std::vector<Pending>::iterator last) {
  auto stretch_end = std::is_sorted_until(first, last, measure_less);
  while (stretch_end != last) {
    auto next_end = std::is_sorted_until(stretch_end, last, measure_less);
    std::inplace_merge(first, stretch_end, next_end, measure_less);
    stretch_end = next_end;
  }
}

// Puts the candidates in (receiving view, measure) order, each key's candidates in walk order:
// a counting sort by view rank keeps walk order, then each view's run is sorted by measure.
void sort_by_key(Collected& collected) {
  std::vector<std::size_t> end(collected.receivers.size() + 1, 0);
  for (const auto& candidate : collected.pending) ++end[candidate.view_rank + 1];
  for (std::size_t rank = 1; rank < end.size(); ++rank) end[rank] += end[rank - 1];
  std::vector<Pending> sorted(collected.pending.size());
  // Each rank's slot starts at its run's beginning and ends at the run's end.
  for (const auto& candidate : collected.pending) sorted[end[candidate.view_rank]++] = candidate;
  std::size_t begin = 0;
  for (std::size_t rank = 0; rank < collected.receivers.size(); ++rank) {
    auto first = sorted.begin() + static_cast<std::ptrdiff_t>(begin);
    auto last = sorted.begin() + static_cast<std::ptrdiff_t>(end[rank]);
    // A view reached by one walk holds one sorted block.
    if (collected.blocks[rank] > 1) merge_sorted_stretches(first, last);
    begin = end[rank];
  }
  collected.pending = std::move(sorted);
}

bool same_key(const Pending& a, const Pending& b) {
  return a.view_rank == b.view_rank && a.measure == b.measure;
}

PromotionReportEntry report_entry(std::span<const Pending> candidates, const Collected& collected) {
  const Pending& key = candidates.front();
  PromotionReportEntry entry{
      std::string(collected.receivers[key.view_rank]), std::string(key.measure), {}};
  const auto& steps = collected.steps;
  for (const auto& candidate : candidates) {
    auto first = steps.begin() + static_cast<std::ptrdiff_t>(candidate.first_step);
    entry.sources.emplace_back(
        std::string(candidate.source),
        std::vector<std::string>(first, first + static_cast<std::ptrdiff_t>(candidate.step_count)));
  }
  return entry;
}

bool from_several_sources(std::span<const Pending> candidates) {
  for (const auto& candidate : candidates.subspan(1))
    if (candidate.source != candidates.front().source) return true;
  return false;
}

// The measure names declared by the views bearing each receiver's name (views may share a
// name), grouped by receiver rank and sorted within each group.
struct Declared {
  std::vector<std::string_view> names;
  std::vector<std::size_t> end;  // per rank: one past its last name

  std::span<const std::string_view> of(std::size_t rank) const {
    const std::size_t begin = rank == 0 ? 0 : end[rank - 1];
    return {names.data() + begin, end[rank] - begin};
  }
};

Declared declared_measures(const std::vector<View>& views, MeasureNames& measures,
                           const Collected& collected) {
  std::vector<std::size_t> end(collected.receivers.size() + 1, 0);
  std::vector<std::size_t> views_in_rank(collected.receivers.size(), 0);
  for (std::size_t i = 0; i < views.size(); ++i) {
    const std::size_t rank = collected.view_rank[i];
    if (rank == kNoRank) continue;
    const std::size_t count = measures.sorted(i).size();
    if (count == 0) continue;
    end[rank + 1] += count;
    ++views_in_rank[rank];
  }
  for (std::size_t rank = 1; rank < end.size(); ++rank) end[rank] += end[rank - 1];
  Declared declared{std::vector<std::string_view>(end.back()), {}};
  // Each rank's slot starts at its group's beginning and ends at the group's end.
  for (std::size_t i = 0; i < views.size(); ++i) {
    const std::size_t rank = collected.view_rank[i];
    if (rank == kNoRank) continue;
    for (const auto& measure : measures.sorted(i)) declared.names[end[rank]++] = measure.name;
  }
  end.pop_back();
  declared.end = std::move(end);
  // A group holds one view's sorted names unless several views share the receiver's name.
  for (std::size_t rank = 0; rank < views_in_rank.size(); ++rank) {
    if (views_in_rank[rank] < 2) continue;
    auto names = declared.names.begin();
    std::sort(names + static_cast<std::ptrdiff_t>(rank == 0 ? 0 : declared.end[rank - 1]),
              names + static_cast<std::ptrdiff_t>(declared.end[rank]));
  }
  return declared;
}

// Drops shadowed keys from the sorted candidates into their report and lists the ambiguous ones;
// the candidates are in (view, measure) order, so both reports come out sorted. A view's keys
// are sorted by measure, like its declared names, so one merge walk finds the shadowed ones.
void report_shadowed_and_ambiguous(const std::vector<View>& views, MeasureNames& measures,
                                   Collected& collected, PromotionAnalysis& analysis) {
  if (collected.pending.empty()) return;
  const Declared declared = declared_measures(views, measures, collected);
  auto& pending = collected.pending;
  std::size_t kept = 0;
  for (std::size_t begin = 0; begin < pending.size();) {
    const std::size_t view_rank = pending[begin].view_rank;
    const std::span<const std::string_view> names = declared.of(view_rank);
    auto name = names.begin();
    while (begin < pending.size() && pending[begin].view_rank == view_rank) {
      std::size_t end = begin + 1;
      while (end < pending.size() && same_key(pending[begin], pending[end])) ++end;
      std::span<const Pending> key(pending.data() + begin, end - begin);
      // Keys come in ascending order and views declare few measures: stepping beats a search.
      while (name != names.end() && *name < key.front().measure) ++name;
      if (name != names.end() && *name == key.front().measure) {
        analysis.shadowed.push_back(report_entry(key, collected));
      } else {
        if (from_several_sources(key)) analysis.ambiguous.push_back(report_entry(key, collected));
        for (std::size_t i = begin; i < end; ++i) pending[kept++] = pending[i];
      }
      begin = end;
    }
  }
  pending.resize(kept);
}

template <typename Predicate>
bool any_entity(const std::vector<View>& views, Predicate predicate) {
  for (const auto& view : views)
    for (const auto& entity : view.entities)
      if (predicate(entity)) return true;
  return false;
}

InducedMeasureIndex make_index(Collected collected) {
  std::vector<InducedCandidate> candidates;
  candidates.reserve(collected.pending.size());
  const std::string_view* steps = collected.steps.data();
  for (const auto& p : collected.pending)
    candidates.push_back({collected.receivers[p.view_rank],
                          p.source,
                          p.measure,
                          {steps + p.first_step, p.step_count}});
  // The spans point into the steps' buffer, which moving the vector keeps.
  return InducedMeasureIndex(std::move(candidates), std::move(collected.steps));
}

}  // namespace

InducedMeasureIndex::InducedMeasureIndex(std::vector<InducedCandidate> sorted,
                                         std::vector<std::string_view> steps)
    : candidates_(std::move(sorted)), steps_(std::move(steps)) {}

std::span<const InducedCandidate> InducedMeasureIndex::find(std::string_view view,
                                                            std::string_view measure) const {
  auto range =
      std::equal_range(candidates_.begin(), candidates_.end(), std::pair(view, measure),
                       [](const auto& a, const auto& b) {
                         if constexpr (std::is_same_v<std::decay_t<decltype(a)>, InducedCandidate>)
                           return std::pair(a.view, a.measure) < b;
                         else
                           return a < std::pair(b.view, b.measure);
                       });
  return {range.first, range.second};
}

PromotionAnalysis analyse_promotions(const std::vector<View>& views) {
  PromotionAnalysis analysis;
  // Only parents can form a cycle and only foreign entities carry measures, so a schema with
  // neither has nothing to analyse, and one without foreign entities nothing to promote.
  auto is_foreign = [](const Entity& entity) { return entity.type == EntityType::Foreign; };
  auto is_linked = [](const Entity& entity) {
    return entity.type == EntityType::Foreign || entity.parent;
  };
  if (!any_entity(views, is_linked)) return analysis;
  EntityHierarchy hierarchy = collect_entity_hierarchy(views);
  reject_parent_cycle(hierarchy);
  if (!any_entity(views, is_foreign)) return analysis;
  Collected collected;
  collected.receivers = receiving_views(hierarchy);
  rank_owners_and_views(views, hierarchy, collected);
  collected.visited_by.assign(collected.receivers.size(), 0);
  collected.blocks.assign(collected.receivers.size(), 0);
  MeasureNames measures(views);
  for (std::size_t i = 0; i < views.size(); ++i) {
    const View& view = views[i];
    if (view.measures && !view.measures->empty())
      promote_from(view, i, collected.view_rank[i], measures, hierarchy, collected);
  }
  sort_by_key(collected);
  report_shadowed_and_ambiguous(views, measures, collected, analysis);
  analysis.index = make_index(std::move(collected));
  return analysis;
}

}  // namespace orvane
