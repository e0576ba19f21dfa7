#include "engine/join_graph/join_graph.h"

#include <algorithm>
#include <span>
#include <unordered_map>

namespace orvane {
namespace {

// A view's use of an entity it declares.
struct EntityUse {
  std::size_t node;
  const Entity* entity;
};

// Pairs the keys position by position; the longer list's extra keys have no partner.
std::vector<std::pair<std::string, std::string>> pair_keys(const Entity& from, const Entity& to) {
  const auto from_keys = entity_keys(from);
  const auto to_keys = entity_keys(to);
  std::vector<std::pair<std::string, std::string>> pairs;
  const std::size_t count = std::min(from_keys.size(), to_keys.size());
  pairs.reserve(count);
  for (std::size_t i = 0; i < count; ++i) pairs.emplace_back(from_keys[i], to_keys[i]);
  return pairs;
}

void add_relationship(JoinGraph& graph, std::size_t from, std::size_t to, Relationship edge) {
  graph.outgoing[from].push_back(graph.relationships.size());
  graph.source_node.push_back(from);
  graph.target_node.push_back(to);
  graph.relationships.push_back(std::move(edge));
}

// Links a foreign use of an entity to one of its primary owners, in both directions: the
// many-to-one edge first, so the owner-to-referrer edge is the newer of the two.
void link(JoinGraph& graph, const EntityUse& reference, const EntityUse& owner) {
  auto pairs = pair_keys(*reference.entity, *owner.entity);
  auto back_pairs = pair_keys(*owner.entity, *reference.entity);
  const std::string& referrer_name = graph.nodes[reference.node];
  const std::string& owner_name = graph.nodes[owner.node];
  const std::string& entity = reference.entity->name;
  add_relationship(
      graph, reference.node, owner.node,
      {referrer_name, owner_name, entity, std::move(pairs), RelationshipKind::ManyToOne});
  add_relationship(
      graph, owner.node, reference.node,
      {owner_name, referrer_name, entity, std::move(back_pairs), RelationshipKind::OneToMany});
}

}  // namespace

JoinGraph JoinGraph::build(const SemanticLayer& layer) {
  JoinGraph graph;
  const std::size_t view_count = layer.views.size();
  graph.nodes.reserve(view_count);
  graph.outgoing.resize(view_count);
  graph.node_of.reserve(view_count);
  std::vector<EntityUse> references;
  std::unordered_map<std::string_view, std::vector<EntityUse>> owners;
  owners.reserve(view_count);
  for (std::size_t node = 0; node < view_count; ++node) {
    const View& view = layer.views[node];
    graph.nodes.push_back(view.name);
    graph.node_of.try_emplace(view.name, node);
    for (const auto& entity : view.entities) {
      if (entity.type == EntityType::Foreign)
        references.push_back({node, &entity});
      else
        owners[entity.name].push_back({node, &entity});
    }
  }
  // Each linked pair adds two relationships; counting them first spares the regrowth.
  std::vector<const std::vector<EntityUse>*> owners_of(references.size(), nullptr);
  std::size_t links = 0;
  for (std::size_t i = 0; i < references.size(); ++i) {
    auto found = owners.find(references[i].entity->name);
    if (found == owners.end()) continue;
    owners_of[i] = &found->second;
    for (const auto& owner : found->second) links += owner.node != references[i].node;
  }
  graph.relationships.reserve(2 * links);
  graph.source_node.reserve(2 * links);
  graph.target_node.reserve(2 * links);
  for (std::size_t i = 0; i < references.size(); ++i) {
    if (!owners_of[i]) continue;
    for (const auto& owner : *owners_of[i])
      if (owner.node != references[i].node) link(graph, references[i], owner);
  }
  // Searches scan the newest relationship first, which decides their ties.
  for (auto& edges : graph.outgoing) std::reverse(edges.begin(), edges.end());
  return graph;
}

std::vector<const Relationship*> JoinGraph::relationships_of(std::string_view view) const {
  auto found = node_of.find(std::string(view));
  if (found == node_of.end()) return {};
  std::vector<const Relationship*> edges;
  edges.reserve(outgoing[found->second].size());
  for (std::size_t index : outgoing[found->second]) edges.push_back(&relationships[index]);
  return edges;
}

}  // namespace orvane
