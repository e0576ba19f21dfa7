#include "schema/catalog/catalog.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/motifs/builtin_catalog.h"

namespace orvane {
namespace {

// The fields of one entry. Written out in ascending byte order of their keys, absent ones left out.
struct Entry {
  std::optional<std::string> description;
  std::string kind;
  std::optional<std::string> member_type;
  const MetaMap* meta = nullptr;
  std::string name;
  std::optional<std::string> view;
};

Value meta_value(const MetaMap& meta) {
  ValueObject object;  // std::map iterates its keys in ascending byte order
  for (const auto& [key, texts] : meta) {
    ValueArray list;
    for (const auto& text : texts) list.emplace_back(text);
    object.emplace_back(key, Value(std::move(list)));
  }
  return Value(std::move(object));
}

Value entry_value(Entry entry) {
  ValueObject object;
  if (entry.description) object.emplace_back("description", Value(std::move(*entry.description)));
  object.emplace_back("kind", Value(std::move(entry.kind)));
  if (entry.member_type) object.emplace_back("member_type", Value(std::move(*entry.member_type)));
  if (entry.meta) object.emplace_back("meta", meta_value(*entry.meta));
  object.emplace_back("name", Value(std::move(entry.name)));
  if (entry.view) object.emplace_back("view", Value(std::move(*entry.view)));
  return Value(std::move(object));
}

// Records keep a description or meta either in a std::optional or in a Boxed.
template <typename Optional>
std::optional<std::string> text_of(const Optional& text) {
  if (text) return *text;
  return std::nullopt;
}

template <typename Optional>
const MetaMap* meta_of(const Optional& meta) {
  return meta ? &*meta : nullptr;
}

// Views and topics drop an empty description; members keep it.
template <typename Optional>
std::optional<std::string> non_empty(const Optional& text) {
  if (text && !text->empty()) return *text;
  return std::nullopt;
}

// Appends " (label: a, b)" when there is anything to name.
void append_name_list(std::string& text, std::string_view label,
                      const std::vector<std::string_view>& names) {
  if (names.empty()) return;
  text += " (";
  text += label;
  text += ": ";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += ", ";
    text += names[i];
  }
  text += ")";
}

std::optional<std::string> composed(std::string text) {
  if (text.empty()) return std::nullopt;
  return text;
}

template <typename Member>
Entry member_entry(const View& view, const Member& member, std::string kind) {
  Entry entry;
  entry.description = text_of(member.description);
  entry.kind = std::move(kind);
  entry.meta = meta_of(member.meta);
  entry.name = view.name + "." + member.name;
  entry.view = view.name;
  return entry;
}

void list_view(const View& view, ValueArray& out) {
  Entry entry;
  entry.description = non_empty(view.description);
  entry.kind = "view";
  entry.meta = meta_of(view.meta);
  entry.name = view.name;
  out.push_back(entry_value(std::move(entry)));
  for (const auto& dimension : view.dimensions) {
    auto member = member_entry(view, dimension, "dimension");
    member.member_type = std::string(spelling(dimension.type));
    out.push_back(entry_value(std::move(member)));
  }
  if (view.measures) {
    for (const auto& measure : *view.measures) {
      auto member = member_entry(view, measure, "measure");
      member.member_type = std::string(spelling(measure.type));
      out.push_back(entry_value(std::move(member)));
    }
  }
  for (const auto& segment : view.segments)
    out.push_back(entry_value(member_entry(view, segment, "segment")));
  for (const auto& entity : view.entities) {
    auto member = member_entry(view, entity, "entity");
    member.member_type = std::string(spelling(entity.type));
    out.push_back(entry_value(std::move(member)));
  }
}

Value topic_value(const Topic& topic) {
  Entry entry;
  entry.description = non_empty(topic.description);
  entry.kind = "topic";
  entry.meta = meta_of(topic.meta);
  entry.name = topic.name;
  return entry_value(std::move(entry));
}

// The description tells what a motif takes and adds, since the entry has no other room for it.
Value motif_value(const Motif& motif) {
  std::string description = motif.description.value_or("");
  std::vector<std::string_view> params;
  for (const auto& [name, param] : motif.params) params.push_back(name);
  append_name_list(description, "params", params);
  std::vector<std::string_view> outputs;
  for (const auto& column : motif.outputs) outputs.push_back(column.name);
  append_name_list(description, "outputs", outputs);

  Entry entry;
  entry.description = composed(std::move(description));
  entry.kind = "motif";
  entry.member_type = motif.kind == MotifKind::Builtin ? "builtin" : "custom";
  entry.meta = meta_of(motif.meta);
  entry.name = motif.name;
  return entry_value(std::move(entry));
}

Value saved_query_value(const SavedQuery& query) {
  const auto steps = effective_steps(query);
  const bool multi_step = steps.size() >= 2;
  std::string description = query.description.value_or("");
  if (multi_step) {
    std::vector<std::string_view> names;
    for (const auto& step : steps) names.push_back(step.name);
    append_name_list(description, "steps", names);
  }

  Entry entry;
  entry.description = composed(std::move(description));
  entry.kind = "saved_query";
  entry.member_type = multi_step ? "multi_step" : "single_step";
  entry.meta = meta_of(query.meta);
  entry.name = query.name;
  return entry_value(std::move(entry));
}

}  // namespace

Value list_catalog(const SemanticLayer& layer) {
  ValueArray entries;
  for (const auto& view : layer.views) list_view(view, entries);
  if (layer.topics)
    for (const auto& topic : *layer.topics) entries.push_back(topic_value(topic));
  for (const auto& motif : builtin_motifs()) entries.push_back(motif_value(motif));
  if (layer.motifs)
    for (const auto& motif : *layer.motifs) entries.push_back(motif_value(motif));
  if (layer.saved_queries)
    for (const auto& query : *layer.saved_queries) entries.push_back(saved_query_value(query));
  return Value(std::move(entries));
}

}  // namespace orvane
