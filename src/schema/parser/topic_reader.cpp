#include "schema/parser/topic_reader.h"

#include <array>

#include "common/failure.h"
#include "schema/yaml/messages.h"
#include "schema/yaml/reader.h"

namespace orvane {
namespace {

using yaml::Fields;
using yaml::Node;
using yaml::Reader;

constexpr std::array<std::string_view, 10> kOperatorKeys = {
    "eq", "neq", "gt", "gte", "lt", "lte", "in", "not_in", "in_date_range", "not_in_date_range"};

std::optional<TopicFilterType> operator_named(std::string_view key) {
  for (std::size_t i = 0; i < kOperatorKeys.size(); ++i)
    if (kOperatorKeys[i] == key) return static_cast<TopicFilterType>(i);
  return std::nullopt;
}

void read_operand(const Reader& r, const Node& node, TopicFilter& filter) {
  switch (filter.type) {
    case TopicFilterType::In:
    case TopicFilterType::NotIn: {
      static constexpr yaml::FieldNames kNames = {"values"};
      Fields<kNames> f(r, node);
      filter.values = r.list(f.required("values"), [&](const Node& n) { return r.value(n); });
      return;
    }
    case TopicFilterType::InDateRange:
    case TopicFilterType::NotInDateRange: {
      static constexpr yaml::FieldNames kNames = {"from", "to"};
      Fields<kNames> f(r, node);
      filter.from = r.value(f.required("from"));
      filter.to = r.value(f.required("to"));
      return;
    }
    default: {
      static constexpr yaml::FieldNames kNames = {"value"};
      Fields<kNames> f(r, node);
      filter.value = r.value(f.required("value"));
      return;
    }
  }
}

// `field` plus the first operator key in document order; later operator keys and unknown keys
// are ignored.
TopicFilter read_filter(const Reader& r, const Node& node) {
  const yaml::Document& doc = r.doc();
  const Node& mapping = r.expect_mapping(node);
  const Node* field = nullptr;
  const Node* operand = nullptr;
  TopicFilter filter;
  for (std::size_t i = 0; i < doc.length(mapping); ++i) {
    const Node& key = doc.key(mapping, i);
    if (key.kind != yaml::NodeKind::Scalar) continue;
    std::string_view name = doc.text(key);
    if (name == "field") {
      if (field != nullptr) throw yaml::duplicate_field("field");
      field = &doc.value(mapping, i);
    } else if (operand == nullptr) {
      if (auto type = operator_named(name)) {
        filter.type = *type;
        operand = &doc.value(mapping, i);
      }
    }
  }
  if (field == nullptr) throw yaml::missing_field("field");
  filter.field = r.text(*field);
  if (operand == nullptr)
    throw Failure("no variant of enum TopicFilterType found in flattened data");
  read_operand(r, *operand, filter);
  return filter;
}

TopicRetrievalConfig read_retrieval(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"include", "exclude"};
  Fields<kNames> f(r, node);
  TopicRetrievalConfig config;
  if (const Node* n = f.get("include")) config.include = r.texts(*n);
  if (const Node* n = f.get("exclude")) config.exclude = r.texts(*n);
  return config;
}

}  // namespace

Topic read_topic(const yaml::Document& doc) {
  static constexpr yaml::FieldNames kNames = {"name",      "description",     "views", "base_view",
                                              "retrieval", "default_filters", "meta"};
  Reader r(doc, yaml::Scalars::AsWritten);
  Fields<kNames> f(r, doc.root());
  Topic t;
  t.name = r.text(f.required("name"));
  t.description = r.optional_text(f.get("description"));
  t.views = r.texts(f.required("views"));
  t.base_view = r.optional_text(f.get("base_view"));
  t.retrieval = r.optional(f.get("retrieval"), [&](const Node& n) { return read_retrieval(r, n); });
  t.default_filters = r.optional(f.get("default_filters"), [&](const Node& n) {
    return r.list(n, [&](const Node& item) { return read_filter(r, item); });
  });
  t.meta = r.optional_meta(f.get("meta"));
  return t;
}

}  // namespace orvane
