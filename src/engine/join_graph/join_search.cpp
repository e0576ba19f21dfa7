#include "engine/join_graph/join_search.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>
#include <queue>
#include <set>
#include <unordered_set>
#include <utility>

#include "common/failure.h"

namespace orvane {
namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
constexpr std::size_t kHintedCost = 0;
constexpr std::size_t kUnhintedCost = 2;

// For every node, the relationship through which the search first settled it (kNone for the
// base and for unreachable nodes).
using SearchTree = std::vector<std::size_t>;

// Breadth first, scanning each view's relationships newest first: the first relationship to
// reach a view keeps it, so paths have the fewest joins and ties go to the newer relationship.
// The base view counts as reached from the start, so no path ever returns to it.
SearchTree breadth_first_tree(const JoinGraph& graph, std::size_t base) {
  SearchTree reached_by(graph.nodes.size(), kNone);
  std::vector<bool> reached(graph.nodes.size(), false);
  std::vector<std::size_t> queue{base};
  reached[base] = true;
  for (std::size_t head = 0; head < queue.size(); ++head) {
    for (std::size_t edge : graph.outgoing[queue[head]]) {
      std::size_t next = graph.target_node[edge];
      if (reached[next]) continue;
      reached[next] = true;
      reached_by[next] = edge;
      queue.push_back(next);
    }
  }
  return reached_by;
}

// Cheapest paths where a relationship over a hinted entity is free and any other costs 2. The
// frontier pops the lowest cost first and, at equal cost, the lower node number; a node's
// recorded relationship changes only for a strictly cheaper path.
SearchTree cheapest_path_tree(const JoinGraph& graph, std::size_t base,
                              const std::vector<std::string>& hints) {
  const std::unordered_set<std::string_view> hinted(hints.begin(), hints.end());
  constexpr std::size_t kUnreached = std::numeric_limits<std::size_t>::max();
  std::vector<std::size_t> best(graph.nodes.size(), kUnreached);
  SearchTree reached_by(graph.nodes.size(), kNone);
  using Entry = std::pair<std::size_t, std::size_t>;  // (cost, node)
  std::priority_queue<Entry, std::vector<Entry>, std::greater<>> frontier;
  best[base] = 0;
  frontier.emplace(0, base);
  while (!frontier.empty()) {
    auto [cost, node] = frontier.top();
    frontier.pop();
    if (cost > best[node]) continue;
    for (std::size_t edge : graph.outgoing[node]) {
      std::size_t next = graph.target_node[edge];
      std::size_t step =
          hinted.contains(graph.relationships[edge].entity) ? kHintedCost : kUnhintedCost;
      if (cost + step >= best[next]) continue;
      best[next] = cost + step;
      reached_by[next] = edge;
      frontier.emplace(cost + step, next);
    }
  }
  return reached_by;
}

std::size_t node_named(const JoinGraph& graph, std::string_view name) {
  auto found = graph.node_of.find(std::string(name));
  if (found == graph.node_of.end())
    throw join_error("View '" + std::string(name) + "' not found in join graph");
  return found->second;
}

// The relationships from the base to `target`, base first.
std::vector<std::size_t> path_to(const JoinGraph& graph, const SearchTree& tree, std::size_t base,
                                 std::size_t target) {
  std::vector<std::size_t> path;
  for (std::size_t node = target; node != base; node = graph.source_node[path.back()])
    path.push_back(tree[node]);
  std::reverse(path.begin(), path.end());
  return path;
}

}  // namespace

std::vector<std::size_t> join_tree_relationships(const JoinGraph& graph, std::string_view base,
                                                 const std::vector<std::string>& targets,
                                                 const std::vector<std::string>& hints) {
  std::vector<std::size_t> joined;
  std::set<std::pair<std::string_view, std::string_view>> joined_pairs;
  // One search serves every target: each path depends only on the base and the hints.
  std::optional<SearchTree> tree;
  std::size_t base_node = kNone;
  for (const auto& target : targets) {
    if (target == base) continue;
    if (!tree) {
      base_node = node_named(graph, base);
      tree = hints.empty() ? breadth_first_tree(graph, base_node)
                           : cheapest_path_tree(graph, base_node, hints);
    }
    std::size_t target_node = node_named(graph, target);
    if (target_node == base_node) continue;
    if ((*tree)[target_node] == kNone)
      throw join_error("No join path found between '" + std::string(base) + "' and '" + target +
                       "'");
    for (std::size_t edge : path_to(graph, *tree, base_node, target_node)) {
      const Relationship& relationship = graph.relationships[edge];
      if (joined_pairs.emplace(relationship.from, relationship.to).second) joined.push_back(edge);
    }
  }
  return joined;
}

}  // namespace orvane
