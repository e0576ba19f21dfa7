#include "engine/sql_generator/generator.h"

#include <algorithm>

#include "common/failure.h"
#include "engine/evaluator/member_path.h"
#include "engine/member_sql/entity_map.h"
#include "engine/sql_generator/generator_context.h"
#include "engine/sql_generator/join_plan.h"
#include "engine/sql_generator/reference_checks.h"
#include "engine/sql_generator/required_views.h"
#include "engine/sql_generator/shift_detection.h"
#include "engine/sql_generator/single_fact.h"

namespace orvane {
namespace {

// Period comparisons need a statement joined to itself, which is not built yet; saying so beats
// returning SQL that silently ignores the shift.
void reject_shift_measures(const Engine& engine, const QueryRequest& request,
                           const RequestMembers& members) {
  if (auto measure = first_shift_measure(engine, request, members))
    throw sql_generation_error("shift measures are not supported yet: measure '" + *measure +
                               "' compares periods, which this version cannot compile");
}

// A measure over rows that the joins repeat would be counted several times over; those requests
// need per-view pre-aggregation, which is not built yet.
void reject_multiplied_measures(const QueryRequest& request, const JoinPlan& plan) {
  for (const auto& path : request.measures) {
    std::string_view view = view_part(path);
    if (plan.multiplied.find(std::string(view)) != plan.multiplied.end())
      throw sql_generation_error("measure '" + path + "' is on view '" + std::string(view) +
                                 "', whose rows the joins of this query repeat; queries over "
                                 "several fact views are not supported yet");
  }
}

std::vector<std::string> without(std::vector<std::string> views, std::string_view name) {
  views.erase(std::remove(views.begin(), views.end(), name), views.end());
  return views;
}

}  // namespace

CompileResult generate_sql(const Engine& engine, QueryRequest request) {
  GeneratorContext context(engine);
  std::vector<std::string> views = referenced_views(request);
  if (views.empty()) throw query_error("Query must reference at least one view");
  const RequestMembers members = check_member_references(engine, request);
  reject_shift_measures(engine, request, members);

  // A single view is its own base; only a choice among several needs the join graph.
  std::string base =
      views.size() == 1 ? views.front() : choose_base_view(engine.join_graph(), views, request);
  std::vector<std::string> targets =
      without(required_views(engine, request, members, std::move(views)), base);
  JoinPlan plan = plan_joins(context, base, targets, request.through, AliasMap(base, base));
  reject_multiplied_measures(request, plan);

  EntityMap entities = build_entity_map(engine, base, targets);
  return generate_single_fact(context, request, members, std::move(plan), entities);
}

}  // namespace orvane
