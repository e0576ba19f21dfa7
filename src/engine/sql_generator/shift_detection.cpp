#include "engine/sql_generator/shift_detection.h"

#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/evaluator/member_path.h"
#include "engine/member_sql/template_scan.h"

namespace orvane {
namespace {

using MeasurePair = std::pair<std::string_view, std::string_view>;  // views into the engine

// Whether the measure itself has a shift; the measures its expression references are added to
// `pending`.
bool has_own_shift(const Engine& engine, MeasurePair pair, std::vector<MeasurePair>& pending) {
  const Measure* measure = find_measure(engine, pair.first, pair.second);
  if (!measure) return false;
  if (measure->shift) return true;
  if (!measure->expr) return false;
  for (const auto& [first, second] : dotted_references(*measure->expr)) {
    if (first == "variables") continue;
    const MemberKind* kind = engine.member_index.kind_of(first, second);
    if (kind && *kind == MemberKind::Measure) pending.emplace_back(first, second);
  }
  return false;
}

// Whether the measure, or any measure its references reach, has a shift. Each measure is examined
// once, so reference cycles end; the pairs still to examine wait on a list rather than the call
// stack, so a long chain of references cannot exhaust it. Most measures reference no other
// measure, and then nothing is allocated.
bool needs_shift(const Engine& engine, MeasurePair start) {
  std::vector<MeasurePair> pending;
  if (has_own_shift(engine, start, pending)) return true;
  if (pending.empty()) return false;
  std::set<MeasurePair> examined{start};
  while (!pending.empty()) {
    const MeasurePair pair = pending.back();
    pending.pop_back();
    if (examined.insert(pair).second && has_own_shift(engine, pair, pending)) return true;
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
    if (needs_shift(engine, {member.view, member.member})) return path;
  }
  return std::nullopt;
}

}  // namespace orvane
