// Checks on topics, motifs and saved queries against the views and their own contents.
#include <array>
#include <string_view>
#include <unordered_set>

#include "engine/member_sql/template_scan.h"
#include "engine/motifs/builtin_catalog.h"
#include "schema/validation/checks.h"

namespace orvane {
namespace {

// Placeholders every custom motif may use without declaring them.
constexpr std::array<std::string_view, 5> kImplicitMotifParams = {"measure", "time", "dimensions",
                                                                  "threshold", "window"};

bool is_implicit_motif_param(std::string_view name) {
  for (const auto implicit : kImplicitMotifParams)
    if (implicit == name) return true;
  return false;
}

void check_custom_motif(const Motif& motif, ErrorLines& errors) {
  const std::string head = "[motif:" + motif.name + "] ";
  if (motif.outputs.empty())
    errors.push_back(head + "Custom motif must have at least one 'outputs' entry");
  for (const auto& column : motif.outputs) {
    for (const auto name : bare_references(column.expr)) {
      if (motif.params.contains(std::string(name)) || is_implicit_motif_param(name)) continue;
      errors.push_back(head + "outputs column '" + column.name +
                       "' references undeclared param '{{" + std::string(name) + "}}' in expr");
    }
  }
}

}  // namespace

void check_topics(const std::vector<Topic>& topics, const SchemaNames& names, ErrorLines& errors) {
  for (const auto& topic : topics) {
    const std::string head = "[topic:" + topic.name + "] ";
    for (const auto& view : topic.views)
      if (!names.has_view(view)) errors.push_back(head + "References unknown view: '" + view + "'");
    if (topic.base_view && !names.has_view(*topic.base_view))
      errors.push_back(head + "base_view '" + *topic.base_view + "' is not a known view");
  }
}

void check_motifs(const std::vector<Motif>& motifs, ErrorLines& errors) {
  std::unordered_set<std::string_view> seen;
  for (const auto& motif : motifs) {
    if (!seen.insert(motif.name).second)
      errors.push_back("[motif:" + motif.name + "] Duplicate motif name");
    if (motif.kind == MotifKind::Custom)
      check_custom_motif(motif, errors);
    else if (!is_builtin_motif_name(motif.name))
      errors.push_back("[motif:" + motif.name + "] Unknown builtin motif name");
  }
}

void check_saved_queries(const std::vector<SavedQuery>& queries, ErrorLines& errors) {
  for (const auto& query : queries) {
    const std::string head = "[query:" + query.name + "] ";
    const auto steps = effective_steps(query);
    if (steps.empty())
      errors.push_back(head + "Query must have at least one step or inline query fields");
    std::unordered_set<std::string_view> seen;
    for (const auto& step : steps)
      if (!seen.insert(step.name).second)
        errors.push_back(head + "Duplicate step name: '" + step.name + "'");
  }
}

}  // namespace orvane
