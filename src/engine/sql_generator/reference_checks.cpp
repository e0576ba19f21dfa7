#include "engine/sql_generator/reference_checks.h"

#include <string>

#include "common/failure.h"
#include "engine/evaluator/member_path.h"

namespace orvane {
namespace {

// Looks the path's members up and throws when none of the kind `Kind` names it.
template <typename Kind>
NamedMembers check_path(const Engine& engine, std::string_view path, std::string_view noun,
                        Kind NamedMembers::*kind) {
  MemberPath member = parse_member_path(path);
  NamedMembers named(engine, member.view, member.member);
  if (!(named.*kind))
    throw query_error(std::string(noun) + " '" + std::string(member.member) +
                      "' not found in view '" + std::string(member.view) + "'");
  return named;
}

}  // namespace

NamedMembers::NamedMembers(const Engine& engine, std::string_view view, std::string_view member) {
  const View* found = engine.find_view(view);
  if (!found) return;
  dimension = find_dimension(*found, member);
  measure = find_measure(*found, member);
  segment = find_segment(*found, member);
}

RequestMembers::RequestMembers(const QueryRequest& request)
    : dimensions_(request.measures.size()),
      time_dimensions_(dimensions_ + request.dimensions.size()),
      segments_(time_dimensions_ + request.time_dimensions.size()) {
  named_.reserve(segments_ + request.segments.size());
}

RequestMembers check_member_references(const Engine& engine, const QueryRequest& request) {
  RequestMembers members(request);
  auto& named = members.named_;
  for (const auto& path : request.measures)
    named.push_back(check_path(engine, path, "Measure", &NamedMembers::measure));
  for (const auto& path : request.dimensions)
    named.push_back(check_path(engine, path, "Dimension", &NamedMembers::dimension));
  for (const auto& query : request.time_dimensions)
    named.push_back(
        check_path(engine, query.dimension, "Time dimension", &NamedMembers::dimension));
  for (const auto& path : request.segments)
    named.push_back(check_path(engine, path, "Segment", &NamedMembers::segment));
  return members;
}

}  // namespace orvane
