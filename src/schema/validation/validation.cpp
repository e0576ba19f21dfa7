#include "schema/validation/validation.h"

#include <utility>

#include "common/failure.h"
#include "schema/validation/checks.h"

namespace orvane {
namespace {

std::string join_lines(const ErrorLines& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines[i];
  }
  return text;
}

}  // namespace

// Every check runs even after others have failed, so one call reports every problem at once.
void validate_schema(const SemanticLayer& layer, InducedMeasureIndex* induced,
                     std::unordered_map<std::string_view, const View*>* views_by_name) {
  const auto& views = layer.views;
  SchemaNames names = collect_schema_names(views);
  ErrorLines errors;
  check_view_names(views, names, errors);
  check_view_structure(views, errors);
  warn_unmatched_foreign_entities(views, names);
  check_measure_references(views, names, errors);
  check_entity_lifespans(views, names, errors);
  check_shift_measures(views, names, errors);
  check_entity_parents(views, names, errors);
  check_promotions(views, errors, induced);
  check_measure_drivers(views, errors);
  if (layer.topics) check_topics(*layer.topics, names, errors);
  if (layer.motifs) check_motifs(*layer.motifs, errors);
  if (layer.saved_queries) check_saved_queries(*layer.saved_queries, errors);
  if (!errors.empty()) throw Failure(join_lines(errors));
  if (views_by_name != nullptr) *views_by_name = std::move(names.last_view_named);
}

}  // namespace orvane
