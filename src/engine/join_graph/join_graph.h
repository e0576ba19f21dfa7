// The graph of views connected through shared entities, and the searches over it.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/query/request.h"
#include "schema/models/semantic_layer.h"

namespace orvane {

enum class RelationshipKind { ManyToOne, OneToMany };

// One directed edge: from the foreign side to the primary side (many-to-one) or back.
struct Relationship {
  std::string from;
  std::string to;
  std::string entity;
  std::vector<std::pair<std::string, std::string>> key_pairs;  // (key on `from`, key on `to`)
  RelationshipKind kind = RelationshipKind::ManyToOne;
};

class JoinGraph {
 public:
  static JoinGraph build(const SemanticLayer& layer);

  // Outgoing relationships of a view, the one added last first; empty for an unknown name.
  std::vector<const Relationship*> relationships_of(std::string_view view) const;

  // Implementation detail of the searches; public so the search code can stay in its own file.
  std::vector<std::string> nodes;                        // view names, layer order
  std::unordered_map<std::string, std::size_t> node_of;  // first node of each name
  std::vector<std::vector<std::size_t>> outgoing;  // per node: relationship indices, newest first
  std::vector<Relationship> relationships;         // in the order added
  std::vector<std::size_t> target_node;            // per relationship: the node it reaches
  std::vector<std::size_t> source_node;            // per relationship: the node it leaves
};

// Joins from `base` to each target: the relationships of all paths, each view pair once, in
// order. `hints` (entity names) steer the search. Throws a join error.
std::vector<Relationship> join_tree(const JoinGraph& graph, std::string_view base,
                                    const std::vector<std::string>& targets,
                                    const std::vector<std::string>& hints);

// Throws the join error for a relationship whose entity pairs no key columns.
void require_key_pairs(const Relationship& relationship);

// The views whose rows the joins of `tree` repeat.
std::set<std::string> multiplied_views(const std::vector<Relationship>& tree);

// The view a statement starts from, among the request's sorted distinct views. Throws a query
// error when no view reaches all the others.
std::string choose_base_view(const JoinGraph& graph, const std::vector<std::string>& sorted_views,
                             const QueryRequest& request);

}  // namespace orvane
