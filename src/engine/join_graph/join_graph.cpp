// Placeholder until join planning lands: a statement over one view needs no join.
#include "engine/join_graph/join_graph.h"

#include "common/failure.h"

namespace orvane {

JoinGraph JoinGraph::build(const SemanticLayer& layer) {
  JoinGraph graph;
  for (const auto& view : layer.views) {
    graph.node_of.try_emplace(view.name, graph.nodes.size());
    graph.nodes.push_back(view.name);
    graph.outgoing.emplace_back();
  }
  return graph;
}

std::vector<const Relationship*> JoinGraph::relationships_of(std::string_view) const {
  return {};
}

std::vector<Relationship> join_tree(const JoinGraph&, std::string_view base,
                                    const std::vector<std::string>& targets,
                                    const std::vector<std::string>&) {
  for (const auto& target : targets)
    if (target != base) throw join_error("joins across views are not built yet");
  return {};
}

std::set<std::string> multiplied_views(const std::vector<Relationship>&) {
  return {};
}

std::string choose_base_view(const JoinGraph&, const std::vector<std::string>& sorted_views,
                             const QueryRequest&) {
  if (sorted_views.size() != 1) throw join_error("joins across views are not built yet");
  return sorted_views.front();
}

}  // namespace orvane
