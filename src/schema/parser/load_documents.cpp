#include <string>

#include "schema/parser/loader.h"

namespace orvane {
namespace {

std::string label_of(std::string_view kind, size_t position) {
  return "<" + std::string(kind) + "_" + std::to_string(position) + ">";
}

template <typename Record, typename Load>
std::optional<std::vector<Record>> load_all(const std::vector<std::string_view>& texts,
                                            std::string_view kind, Load load) {
  if (texts.empty()) return std::nullopt;
  std::vector<Record> records;
  records.reserve(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) records.push_back(load(texts[i], label_of(kind, i)));
  return records;
}

}  // namespace

SemanticLayer load_documents(const DocumentTexts& texts, yaml::Documentation view_documentation) {
  SemanticLayer layer;
  layer.views.reserve(texts.views.size());
  yaml::ParseScratch scratch;
  for (size_t i = 0; i < texts.views.size(); ++i)
    layer.views.push_back(
        load_view(texts.views[i], label_of("view", i), nullptr, view_documentation, scratch));
  layer.topics = load_all<Topic>(texts.topics, "topic", load_topic);
  layer.motifs = load_all<Motif>(texts.motifs, "motif", load_motif);
  layer.saved_queries = load_all<SavedQuery>(texts.queries, "query", load_query);
  return layer;
}

}  // namespace orvane
