#include "engine/sql_generator/shift_detection.h"

#include <set>
#include <string_view>
#include <utility>

#include "engine/evaluator/member_path.h"
#include "engine/member_sql/template_scan.h"

namespace orvane {
namespace {

// The (view, measure) pairs examined so far; views into the request and the engine.
using Examined = std::set<std::pair<std::string_view, std::string_view>>;

// Each measure is examined once per test, so reference cycles end.
bool needs_shift(const Engine& engine, std::string_view view, std::string_view name,
                 Examined& examined) {
  if (!examined.emplace(view, name).second) return false;
  const Measure* measure = find_measure(engine, view, name);
  if (!measure) return false;
  if (measure->shift) return true;
  if (!measure->expr) return false;
  for (const auto& [first, second] : dotted_references(*measure->expr)) {
    if (first == "variables") continue;
    const MemberKind* kind = engine.member_index.kind_of(first, second);
    if (kind && *kind == MemberKind::Measure && needs_shift(engine, first, second, examined))
      return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> first_shift_measure(const Engine& engine, const QueryRequest& request,
                                               const RequestMembers& members) {
  for (std::size_t i = 0; i < request.measures.size(); ++i) {
    const Measure& measure = *members.measure(i).measure;
    if (!measure.shift && (!measure.expr || measure.expr->find("{{") == std::string::npos))
      continue;
    const std::string& path = request.measures[i];
    MemberPath member = parse_member_path(path);
    Examined examined;
    if (needs_shift(engine, member.view, member.member, examined)) return path;
  }
  return std::nullopt;
}

}  // namespace orvane
