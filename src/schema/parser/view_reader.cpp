// The view document's own keys, segments, pre-aggregations and refresh keys take any scalar as
// its text as written; the entity, dimension and measure items are read by view_items.cpp.
#include <array>

#include "common/failure.h"
#include "schema/parser/raw_view.h"
#include "schema/parser/view_items.h"
#include "schema/yaml/reader.h"

namespace orvane {
namespace {

using yaml::Fields;
using yaml::Node;
using yaml::Reader;

// A mapping of text to text holding exactly one of `sql` and `every`.
RefreshKey read_refresh_key(const Reader& r, const Node& node) {
  const yaml::Document& doc = r.doc();
  const Node& mapping = r.expect_mapping(node);
  std::optional<std::string> sql, every, unknown;
  for (std::size_t i = 0; i < doc.length(mapping); ++i) {
    std::string key = r.text(doc.key(mapping, i));
    std::string value = r.text(doc.value(mapping, i));
    if (key == "sql")
      sql = std::move(value);
    else if (key == "every")
      every = std::move(value);
    else if (!unknown)
      unknown = std::move(key);
  }
  if (unknown)
    throw Failure("refresh_key has unknown key `" + *unknown +
                  "`; only `sql` or `every` are allowed");
  if (sql && every)
    throw Failure("refresh_key must have exactly one of `sql` or `every`, not both");
  if (sql) return RefreshKey{RefreshKey::Kind::Sql, std::move(*sql)};
  if (every) return RefreshKey{RefreshKey::Kind::Every, std::move(*every)};
  throw Failure("refresh_key must have exactly one of `sql` or `every` keys");
}

std::optional<RefreshKey> read_optional_refresh_key(const Reader& r, const Node* node) {
  return r.optional(node, [&](const Node& n) { return read_refresh_key(r, n); });
}

Segment read_segment(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"name", "expr", "description", "inherits_from",
                                              "meta"};
  Fields<kNames> f(r, node);
  return Segment{
      .name = r.text(f.required("name")),
      .expr = r.text(f.required("expr")),
      .description = r.documentation_text(f.get("description")),
      .inherits_from = r.optional_text(f.get("inherits_from")),
      .meta = r.documentation_meta(f.get("meta")),
  };
}

PreAggregation read_pre_aggregation(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"name",           "dimensions",  "measures",
                                              "time_dimension", "granularity", "refresh_key"};
  Fields<kNames> f(r, node);
  PreAggregation p;
  p.name = r.text(f.required("name"));
  if (const Node* n = f.get("dimensions")) p.dimensions = r.texts(*n);
  if (const Node* n = f.get("measures")) p.measures = r.texts(*n);
  p.time_dimension = r.optional_text(f.get("time_dimension"));
  p.granularity = r.optional_text(f.get("granularity"));
  p.refresh_key = read_optional_refresh_key(r, f.get("refresh_key"));
  return p;
}

}  // namespace

InheritItems read_raw_view(const yaml::Document& doc, yaml::Documentation documentation, View& v) {
  static constexpr yaml::FieldNames kNames = {
      "name",        "description", "label",      "datasource", "dialect",  "table",
      "sql",         "entities",    "dimensions", "measures",   "segments", "pre_aggregations",
      "refresh_key", "meta"};
  Reader r(doc, yaml::Scalars::AsWritten, documentation);
  Fields<kNames> f(r, doc.root());
  InheritItems inherited;
  v.name = r.text(f.required("name"));
  v.description = r.documentation_text(f.get("description"));
  v.label = r.documentation_text(f.get("label"));
  v.datasource = r.optional_text_view(f.get("datasource"));
  v.dialect = r.optional_text_view(f.get("dialect"));
  v.table = r.optional_text_view(f.get("table"));
  v.sql = r.optional_text_view(f.get("sql"));
  if (const Node* n = f.get("entities")) read_entity_items(r, *n, v.entities, inherited.entities);
  if (const Node* n = f.get("dimensions"))
    read_dimension_items(r, *n, v.dimensions, inherited.dimensions);
  if (const Node* n = f.get("measures"); n != nullptr && !r.is_null(*n))
    read_measure_items(r, *n, v.measures.emplace(), inherited.measures);
  if (const Node* n = f.get("segments"))
    v.segments = r.list(*n, [&](const Node& item) { return read_segment(r, item); });
  v.pre_aggregations = r.optional(f.get("pre_aggregations"), [&](const Node& n) {
    return r.list(n, [&](const Node& item) { return read_pre_aggregation(r, item); });
  });
  v.refresh_key = read_optional_refresh_key(r, f.get("refresh_key"));
  v.meta = r.documentation_meta(f.get("meta"));
  return inherited;
}

}  // namespace orvane
