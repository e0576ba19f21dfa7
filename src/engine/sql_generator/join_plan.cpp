#include "engine/sql_generator/join_plan.h"

#include "common/failure.h"
#include "engine/member_sql/render_template.h"
#include "engine/sql_generator/from_source.h"

namespace orvane {

void AliasMap::assign(std::string_view view, std::string_view alias) {
  for (auto& entry : entries_)
    if (entry.first == view) {
      entry.second = alias;
      return;
    }
  entries_.emplace_back(view, alias);
}

const std::string* AliasMap::find(std::string_view view) const {
  for (const auto& entry : entries_)
    if (entry.first == view) return &entry.second;
  return nullptr;
}

const std::string& alias_in_query(const AliasMap& aliases, std::string_view view) {
  const std::string* alias = aliases.find(view);
  if (!alias) throw query_error("View '" + std::string(view) + "' not in query");
  return *alias;
}

std::string join_condition(GeneratorContext& context, const Relationship& relationship,
                           std::string_view from_alias, std::string_view to_alias) {
  std::string condition;
  for (const auto& [from_key, to_key] : relationship.key_pairs) {
    if (!condition.empty()) condition.append(" AND ");
    condition.append(key_expression(context, relationship.from, from_key, from_alias))
        .append(" = ")
        .append(key_expression(context, relationship.to, to_key, to_alias));
  }
  return condition;
}

JoinPlan plan_joins(GeneratorContext& context, const std::string& base_view,
                    const std::vector<std::string>& targets, const std::vector<std::string>& hints,
                    AliasMap aliases) {
  JoinPlan plan;
  plan.base_view = base_view;
  // Without targets there is nothing to join, and the join graph need not be built.
  std::vector<Relationship> tree =
      targets.empty() ? std::vector<Relationship>{}
                      : join_tree(context.engine.join_graph(), base_view, targets, hints);
  plan.multiplied = multiplied_views(tree);
  plan.joins.reserve(tree.size());
  for (const auto& relationship : tree) {
    const View* joined = context.engine.find_view(relationship.to);
    if (!joined) throw join_error("View '" + relationship.to + "' not found in join graph");
    aliases.assign(relationship.to, relationship.to);
    const std::string* from_alias = aliases.find(relationship.from);
    std::string_view from_name = from_alias ? std::string_view(*from_alias) : relationship.from;
    plan.joins.push_back({"LEFT", from_source(context.dialect, *joined), relationship.to,
                          join_condition(context, relationship, from_name, relationship.to),
                          relationship.kind});
  }
  plan.aliases = std::move(aliases);
  return plan;
}

}  // namespace orvane
