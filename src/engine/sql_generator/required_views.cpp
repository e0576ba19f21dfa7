#include "engine/sql_generator/required_views.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <utility>

#include "engine/evaluator/member_path.h"
#include "engine/member_sql/template_scan.h"
#include "engine/sql_generator/reference_checks.h"

namespace orvane {
namespace {

// Views into the request and the engine, both alive for the whole generation.
using MemberPair = std::pair<std::string_view, std::string_view>;

void collect_filter_views(const QueryFilter& filter, std::vector<std::string_view>& views) {
  if (filter.member) views.push_back(view_part(*filter.member));
  if (filter.and_filters)
    for (const auto& child : *filter.and_filters) collect_filter_views(child, views);
  if (filter.or_filters)
    for (const auto& child : *filter.or_filters) collect_filter_views(child, views);
}

// A pair still to examine, with its members when they are already known.
struct WorkItem {
  MemberPair pair;
  const NamedMembers* known = nullptr;
};

void push_path(std::string_view path, std::vector<WorkItem>& work,
               const NamedMembers* known = nullptr) {
  std::size_t dot = path.find('.');
  if (dot == std::string_view::npos) return;
  work.push_back({{path.substr(0, dot), path.substr(dot + 1)}, known});
}

// A group's own member, then its `and` children, then its `or` children.
void push_filter_paths(const QueryFilter& filter, std::vector<WorkItem>& work) {
  if (filter.member) push_path(*filter.member, work);
  if (filter.and_filters)
    for (const auto& child : *filter.and_filters) push_filter_paths(child, work);
  if (filter.or_filters)
    for (const auto& child : *filter.or_filters) push_filter_paths(child, work);
}

// Calls `visit` with each expression the members stand for, in order.
template <typename Visit>
void visit_expressions(const NamedMembers& members, Visit visit) {
  if (members.dimension && !members.dimension->sub_query.value_or(false))
    visit(std::string_view(members.dimension->expr));
  if (const Measure* measure = members.measure) {
    if (measure->expr) visit(std::string_view(*measure->expr));
    if (measure->filters)
      for (const auto& filter : *measure->filters) visit(std::string_view(filter.expr));
  }
  if (members.segment) visit(std::string_view(members.segment->expr));
}

bool any_reference(const NamedMembers& members) {
  bool found = false;
  visit_expressions(members, [&](std::string_view expression) {
    found = found || expression.find("{{") != std::string_view::npos;
  });
  return found;
}

bool contains(const std::vector<std::string>& list, std::string_view name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

// The views that own `entity` as a primary entity, sorted by name.
std::vector<std::string_view> entity_owners(const Engine& engine, std::string_view entity) {
  std::vector<std::string_view> owners;
  for (const auto& view : engine.layer.views)
    for (const auto& declared : view.entities)
      if (declared.type == EntityType::Primary && declared.name == entity) {
        owners.push_back(view.name);
        break;
      }
  std::sort(owners.begin(), owners.end());
  return owners;
}

void require_entity_owner(const Engine& engine, std::string_view entity,
                          std::vector<std::string>& required) {
  std::vector<std::string_view> owners = entity_owners(engine, entity);
  if (owners.empty()) return;
  for (std::string_view owner : owners)
    if (contains(required, owner)) return;
  required.emplace_back(owners.front());
}

// Paths named directly by the request; a filter group's members come on top.
std::size_t direct_paths(const QueryRequest& request) {
  return request.measures.size() + request.dimensions.size() + request.time_dimensions.size() +
         request.segments.size() + request.filters.size();
}

}  // namespace

std::vector<std::string> referenced_views(const QueryRequest& request) {
  std::vector<std::string_view> views;
  views.reserve(direct_paths(request));
  for (const auto& path : request.measures) views.push_back(view_part(path));
  for (const auto& path : request.dimensions) views.push_back(view_part(path));
  for (const auto& query : request.time_dimensions) views.push_back(view_part(query.dimension));
  for (const auto& path : request.segments) views.push_back(view_part(path));
  for (const auto& filter : request.filters) collect_filter_views(filter, views);
  // Requests name few views, most often one, many times over: dropping repeats of the previous
  // name before sorting leaves little to sort.
  views.erase(std::unique(views.begin(), views.end()), views.end());
  std::sort(views.begin(), views.end());
  views.erase(std::unique(views.begin(), views.end()), views.end());
  return {views.begin(), views.end()};
}

std::vector<std::string> required_views(const Engine& engine, const QueryRequest& request,
                                        const RequestMembers& members,
                                        std::vector<std::string> start) {
  std::vector<std::string> required = std::move(start);
  std::vector<WorkItem> work;
  work.reserve(direct_paths(request));
  for (std::size_t i = 0; i < request.measures.size(); ++i)
    push_path(request.measures[i], work, &members.measure(i));
  for (std::size_t i = 0; i < request.dimensions.size(); ++i)
    push_path(request.dimensions[i], work, &members.dimension(i));
  for (std::size_t i = 0; i < request.segments.size(); ++i)
    push_path(request.segments[i], work, &members.segment(i));
  for (std::size_t i = 0; i < request.time_dimensions.size(); ++i)
    push_path(request.time_dimensions[i].dimension, work, &members.time_dimension(i));
  for (const auto& filter : request.filters) push_filter_paths(filter, work);

  std::set<MemberPair> seen;
  while (!work.empty()) {
    const WorkItem item = work.back();
    work.pop_back();
    const MemberPair& pair = item.pair;
    const NamedMembers named =
        item.known ? *item.known : NamedMembers(engine, pair.first, pair.second);
    // A member without references adds nothing however often it is met.
    if (!any_reference(named) || !seen.insert(pair).second) continue;
    visit_expressions(named, [&](std::string_view expression) {
      for (const auto& [first, second] : dotted_references(expression)) {
        if (first == "variables") continue;
        if (engine.find_view(first)) {
          if (!contains(required, first)) required.emplace_back(first);
          work.push_back({{first, second}, nullptr});
        } else {
          require_entity_owner(engine, first, required);
        }
      }
    });
  }
  return required;
}

}  // namespace orvane
