#include "schema/parser/motif_reader.h"

#include <array>

#include "common/failure.h"
#include "schema/yaml/reader.h"

namespace orvane {
namespace {

using yaml::Fields;
using yaml::Node;
using yaml::Reader;

constexpr std::array<std::string_view, 2> kMotifKinds = {"builtin", "custom"};
constexpr std::array<std::string_view, 5> kParamTypes = {"measure", "dimension", "number", "string",
                                                         "enum"};
constexpr std::array<std::string_view, 2> kConstraints = {"numeric", "temporal"};

MotifParam read_param(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"type", "constraints", "default", "description",
                                              "values"};
  Fields<kNames> f(r, node);
  MotifParam p;
  p.type = static_cast<MotifParamType>(r.variant(f.required("type"), kParamTypes));
  if (const Node* n = f.get("constraints"))
    p.constraints = r.list(*n, [&](const Node& item) {
      return static_cast<MotifConstraint>(r.variant(item, kConstraints));
    });
  p.default_value = r.optional(f.get("default"), [&](const Node& n) { return r.value(n); });
  p.description = r.optional_text(f.get("description"));
  p.values = r.optional_texts(f.get("values"));
  return p;
}

MotifOutputColumn read_output(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"name", "expr"};
  Fields<kNames> f(r, node);
  return MotifOutputColumn{r.text(f.required("name")), r.text(f.required("expr"))};
}

}  // namespace

Motif read_motif(const yaml::Document& doc) {
  static constexpr yaml::FieldNames kNames = {"name",    "description", "type", "params",
                                              "returns", "outputs",     "meta"};
  static constexpr std::array<yaml::FieldAlias, 1> kAliases = {yaml::FieldAlias{"adds", "outputs"}};
  Reader r(doc, yaml::Scalars::AsWritten);
  Fields<kNames> f(r, doc.root(), kAliases);
  Motif m;
  m.name = r.text(f.required("name"));
  m.description = r.optional_text(f.get("description"));
  if (const Node* n = f.get("type")) m.kind = static_cast<MotifKind>(r.variant(*n, kMotifKinds));
  if (const Node* n = f.get("params"))
    m.params = r.map_of(*n, [&](const Node& p) { return read_param(r, p); });
  m.returns = r.optional_text(f.get("returns"));
  if (const Node* n = f.get("outputs"))
    m.outputs = r.list(*n, [&](const Node& item) { return read_output(r, item); });
  m.meta = r.optional_meta(f.get("meta"));
  return m;
}

}  // namespace orvane
