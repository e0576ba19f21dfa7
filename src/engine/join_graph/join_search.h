// Path searches over the join graph, shared by join trees and the base-view choice.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/join_graph/join_graph.h"

namespace orvane {

// The relationships (indices into graph.relationships) joining `base` to every target: each
// path from the base in target order, each view pair once. Without hints a path has the fewest
// relationships; with hints it is the cheapest, a hinted entity costing nothing. Throws a join
// error for an unknown view or an unreachable target.
std::vector<std::size_t> join_tree_relationships(const JoinGraph& graph, std::string_view base,
                                                 const std::vector<std::string>& targets,
                                                 const std::vector<std::string>& hints);

}  // namespace orvane
