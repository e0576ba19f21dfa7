#include "engine/sql_generator/shift_detection.h"

#include <set>
#include <string_view>

#include "engine/evaluator/member_path.h"
#include "engine/member_sql/template_scan.h"

namespace orvane {
namespace {

// Each path is examined once per test, so reference cycles end.
bool needs_shift(const Engine& engine, std::string_view view, std::string_view name,
                 std::set<std::string, std::less<>>& examined) {
  std::string path;
  path.append(view).append(".").append(name);
  if (!examined.insert(std::move(path)).second) return false;
  const Measure* measure = find_measure(engine, view, name);
  if (!measure) return false;
  if (measure->shift) return true;
  if (!measure->expr) return false;
  for (const auto& [first, second] : dotted_references(*measure->expr)) {
    if (first == "variables") continue;
    std::string referenced;
    referenced.append(first).append(".").append(second);
    if (engine.member_index.is_measure(referenced) && needs_shift(engine, first, second, examined))
      return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> first_shift_measure(const Engine& engine, const QueryRequest& request) {
  for (const auto& path : request.measures) {
    MemberPath member = parse_member_path(path);
    const Measure* measure = find_measure(engine, member.view, member.member);
    if (measure && !measure->shift &&
        (!measure->expr || measure->expr->find("{{") == std::string::npos))
      continue;
    std::set<std::string, std::less<>> examined;
    if (needs_shift(engine, member.view, member.member, examined)) return path;
  }
  return std::nullopt;
}

}  // namespace orvane
