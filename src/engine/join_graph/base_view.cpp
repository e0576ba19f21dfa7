#include <optional>

#include "common/failure.h"
#include "engine/join_graph/join_graph.h"
#include "engine/join_graph/join_search.h"

namespace orvane {
namespace {

std::string_view view_part(std::string_view path) {
  return path.substr(0, path.find('.'));
}

std::size_t count_on_view(const std::vector<std::string>& paths, std::string_view view) {
  std::size_t count = 0;
  for (const auto& path : paths)
    if (view_part(path) == view) ++count;
  return count;
}

// What a view offers as the base: filters and segments do not count as requested members.
struct Weight {
  std::size_t measures = 0;
  std::size_t members = 0;
};

Weight requested_on(const QueryRequest& request, std::string_view view) {
  Weight weight;
  weight.measures = count_on_view(request.measures, view);
  weight.members = weight.measures + count_on_view(request.dimensions, view);
  for (const auto& time_dimension : request.time_dimensions)
    if (view_part(time_dimension.dimension) == view) ++weight.members;
  return weight;
}

struct Candidate {
  std::size_t index;  // position in the sorted views
  std::size_t joins;
  Weight weight;
};

// Fewer joins first, then more requested measures, then more requested members; earlier
// candidates win remaining ties because they are tried first.
bool better(const Candidate& challenger, const Candidate& holder) {
  if (challenger.joins != holder.joins) return challenger.joins < holder.joins;
  if (challenger.weight.measures != holder.weight.measures)
    return challenger.weight.measures > holder.weight.measures;
  return challenger.weight.members > holder.weight.members;
}

std::vector<std::string> all_but(const std::vector<std::string>& views, std::size_t skipped) {
  std::vector<std::string> others;
  others.reserve(views.size());
  for (std::size_t i = 0; i < views.size(); ++i)
    if (i != skipped) others.push_back(views[i]);
  return others;
}

// The view named in the failure: the most requested one, else the first.
const std::string& most_requested(const std::vector<std::string>& sorted_views,
                                  const QueryRequest& request) {
  std::size_t chosen = 0;
  std::size_t most = 0;
  for (std::size_t i = 0; i < sorted_views.size(); ++i) {
    std::size_t members = requested_on(request, sorted_views[i]).members;
    if (members > most) {
      most = members;
      chosen = i;
    }
  }
  return sorted_views[chosen];
}

}  // namespace

std::string choose_base_view(const JoinGraph& graph, const std::vector<std::string>& sorted_views,
                             const QueryRequest& request) {
  if (sorted_views.empty()) throw query_error("Query must reference at least one view");
  if (sorted_views.size() == 1) return sorted_views.front();
  std::optional<Candidate> winner;
  for (std::size_t i = 0; i < sorted_views.size(); ++i) {
    std::size_t joins = 0;
    try {
      joins = join_tree_relationships(graph, sorted_views[i], all_but(sorted_views, i), {}).size();
    } catch (const EngineError&) {
      continue;
    }
    Candidate candidate{i, joins, requested_on(request, sorted_views[i])};
    if (!winner || better(candidate, *winner)) winner = candidate;
  }
  if (!winner)
    throw query_error("No valid join tree found; using '" + most_requested(sorted_views, request) +
                      "' as base view");
  return sorted_views[winner->index];
}

}  // namespace orvane
