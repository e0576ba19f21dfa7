#include <array>

#include "common/failure.h"
#include "schema/parser/motif_reader.h"
#include "schema/parser/query_request_reader.h"
#include "schema/yaml/reader.h"

namespace orvane {
namespace {

using yaml::Fields;
using yaml::Node;
using yaml::Reader;

SavedQueryParam read_param(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"type", "values", "default", "description"};
  Fields<kNames> f(r, node);
  SavedQueryParam p;
  p.type = r.text(f.required("type"));
  p.values = r.optional_texts(f.get("values"));
  p.default_value = r.optional(f.get("default"), [&](const Node& n) { return r.value(n); });
  p.description = r.optional_text(f.get("description"));
  return p;
}

SavedQueryStep read_step(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"name", "query", "description"};
  Fields<kNames> f(r, node);
  SavedQueryStep step;
  step.name = r.text(f.required("name"));
  step.query = read_query_request(r, f.required("query"));
  step.description = r.optional_text(f.get("description"));
  return step;
}

std::optional<QueryRequest> read_inline_query(const Reader& r, const Node& root) {
  try {
    return read_query_request(r, root);
  } catch (const Failure&) {
    return std::nullopt;
  }
}

}  // namespace

SavedQuery read_saved_query(const yaml::Document& doc) {
  static constexpr yaml::FieldNames kNames = {"name", "description", "params", "steps", "meta"};
  Reader r(doc, yaml::Scalars::AsWritten);
  Fields<kNames> f(r, doc.root());
  SavedQuery q;
  q.name = r.text(f.required("name"));
  q.description = r.optional_text(f.get("description"));
  if (const Node* n = f.get("params"))
    q.params = r.map_of(*n, [&](const Node& p) { return read_param(r, p); });
  if (const Node* n = f.get("steps"))
    q.steps = r.list(*n, [&](const Node& item) { return read_step(r, item); });
  q.meta = r.optional_meta(f.get("meta"));
  q.inline_query = read_inline_query(r, doc.root());
  return q;
}

}  // namespace orvane
