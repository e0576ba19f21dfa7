// The steps of schema validation, in the order they run. Each appends its error lines, in the
// order it finds them, and may write warnings.
#pragma once

#include <string>
#include <vector>

#include "engine/promotions/promotions.h"
#include "schema/models/semantic_layer.h"
#include "schema/validation/schema_names.h"

namespace orvane {

using ErrorLines = std::vector<std::string>;

// "[view] ": every line about a view starts with its name in brackets.
inline std::string view_prefix(const View& view) {
  return "[" + view.name + "] ";
}

void check_view_names(const std::vector<View>& views, const SchemaNames& names, ErrorLines& errors);
void check_view_structure(const std::vector<View>& views, ErrorLines& errors);
void warn_unmatched_foreign_entities(const std::vector<View>& views, const SchemaNames& names);
void check_measure_references(const std::vector<View>& views, const SchemaNames& names,
                              ErrorLines& errors);
void check_entity_lifespans(const std::vector<View>& views, const SchemaNames& names,
                            ErrorLines& errors);
void check_shift_measures(const std::vector<View>& views, const SchemaNames& names,
                          ErrorLines& errors);
void check_entity_parents(const std::vector<View>& views, const SchemaNames& names,
                          ErrorLines& errors);
// Moves the analysis' index into `induced` when it is given.
void check_promotions(const std::vector<View>& views, ErrorLines& errors,
                      InducedMeasureIndex* induced);
void check_measure_drivers(const std::vector<View>& views, ErrorLines& errors);
void check_topics(const std::vector<Topic>& topics, const SchemaNames& names, ErrorLines& errors);
void check_motifs(const std::vector<Motif>& motifs, ErrorLines& errors);
void check_saved_queries(const std::vector<SavedQuery>& queries, ErrorLines& errors);

}  // namespace orvane
