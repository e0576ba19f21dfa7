// Loading document texts into records, with labelled errors.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "schema/models/semantic_layer.h"
#include "schema/parser/global_semantics.h"
#include "schema/yaml/parse.h"
#include "schema/yaml/reader.h"

namespace orvane {

// `globals` holds shared definitions views may inherit from. No entry point supplies one today,
// so resolution through `inherits_from` ends at the "No globals loaded" messages; the parameter is
// kept for callers that will. `documentation` says whether descriptions, labels, samples,
// synonyms and meta are kept or only checked. `scratch` lends its storage to the document while it
// is read. The view is read into `view`, a default record, where the caller keeps it. `position`
// is the document's place in its list, which reading errors name ("<view_0>", "<topic_2>", ...).
void load_view(std::string_view text, std::size_t position, const GlobalSemantics* globals,
               yaml::Documentation documentation, yaml::ParseScratch& scratch, View& view);
Topic load_topic(std::string_view text, std::size_t position);
Motif load_motif(std::string_view text, std::size_t position);
SavedQuery load_query(std::string_view text, std::size_t position);

// The document texts of one call; an empty list of a kind means none of it was given.
struct DocumentTexts {
  std::vector<std::string_view> views;
  std::vector<std::string_view> topics;
  std::vector<std::string_view> motifs;
  std::vector<std::string_view> queries;
};

// Loads views, then topics, motifs and saved queries, each list in order with labels
// "<view_N>", "<topic_N>", "<motif_N>", "<query_N>". The first failure ends loading. Views keep
// their documentation only when asked to; topics, motifs and saved queries always do.
SemanticLayer load_documents(const DocumentTexts& texts, yaml::Documentation view_documentation);

}  // namespace orvane
