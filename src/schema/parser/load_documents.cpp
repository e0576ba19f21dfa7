#include "schema/parser/loader.h"

namespace orvane {
namespace {

template <typename Record, typename Load>
std::optional<std::vector<Record>> load_all(const std::vector<std::string_view>& texts, Load load) {
  if (texts.empty()) return std::nullopt;
  std::vector<Record> records;
  records.reserve(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) records.push_back(load(texts[i], i));
  return records;
}

}  // namespace

// Each view is read in its place in the layer, so no View is moved once read.
SemanticLayer load_documents(const DocumentTexts& texts, yaml::Documentation view_documentation) {
  SemanticLayer layer;
  layer.views.reserve(texts.views.size());
  yaml::ParseScratch scratch;
  for (size_t i = 0; i < texts.views.size(); ++i)
    load_view(texts.views[i], i, nullptr, view_documentation, scratch, layer.views.emplace_back());
  layer.topics = load_all<Topic>(texts.topics, load_topic);
  layer.motifs = load_all<Motif>(texts.motifs, load_motif);
  layer.saved_queries = load_all<SavedQuery>(texts.queries, load_query);
  return layer;
}

}  // namespace orvane
