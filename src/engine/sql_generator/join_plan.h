// The joins of one statement: which views come in, in which order, on which conditions.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/join_graph/join_graph.h"
#include "engine/sql_generator/generator_context.h"

namespace orvane {

// View name -> the alias its columns are addressed by in the statement. A statement joins few
// views, so the entries are kept in a plain list, in the order they were added.
class AliasMap {
 public:
  AliasMap() = default;
  AliasMap(std::string_view view, std::string_view alias) { assign(view, alias); }

  // Sets the alias of `view`, replacing an earlier one.
  void assign(std::string_view view, std::string_view alias);
  // The alias of `view`, or null.
  const std::string* find(std::string_view view) const;

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};

// The alias of a view the statement joins, or a query error naming the view.
const std::string& alias_in_query(const AliasMap& aliases, std::string_view view);

struct PlannedJoin {
  std::string keyword;  // "LEFT"
  std::string source;   // FROM source of the joined view
  std::string view;     // the joined view, also its alias
  std::string on;       // the ON condition
  RelationshipKind kind = RelationshipKind::ManyToOne;
};

struct JoinPlan {
  std::string base_view;
  std::vector<PlannedJoin> joins;
  AliasMap aliases;                  // the base view and every joined view
  std::set<std::string> multiplied;  // views whose rows the joins repeat
};

// Plans the joins from `base_view` to `targets` along the join tree, steered by `hints`.
// `aliases` must hold the base view; joined views are added under their own names. Throws the
// join tree's errors.
JoinPlan plan_joins(GeneratorContext& context, const std::string& base_view,
                    const std::vector<std::string>& targets, const std::vector<std::string>& hints,
                    AliasMap aliases);

// "from key = to key" for each key pair of the relationship, joined with " AND ".
std::string join_condition(GeneratorContext& context, const Relationship& relationship,
                           std::string_view from_alias, std::string_view to_alias);

}  // namespace orvane
