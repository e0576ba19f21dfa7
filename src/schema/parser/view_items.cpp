#include "schema/parser/view_items.h"

#include <array>

#include "common/failure.h"
#include "schema/parser/enum_reading.h"
#include "schema/yaml/messages.h"

namespace orvane {
namespace {

using yaml::Fields;
using yaml::Node;
using yaml::Reader;

Lifespan read_lifespan(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"start", "end", "from"};
  Fields<kNames> f(r, node);
  return Lifespan{r.text(f.required("start")), r.optional_text(f.get("end")),
                  r.optional_text(f.get("from"))};
}

// The full forms read into a record already placed in its list. Fields are read in declaration
// order, which is also the order errors are raised in.
void read_entity(const Reader& r, const Node& node, Entity& e) {
  static constexpr yaml::FieldNames kNames = {
      "name", "type", "description", "key", "keys", "lifespan", "inherits_from", "meta", "parent"};
  Fields<kNames> f(r, node);
  e.name = r.text(f.required("name"));
  if (const Node* n = f.get("type")) e.type = read_enum<EntityType, 2>(r, *n);
  e.description = r.documentation_text(f.get("description"));
  e.key = r.optional_text_view(f.get("key"));
  e.keys = r.optional_texts(f.get("keys"));
  e.lifespan = r.optional(f.get("lifespan"), [&](const Node& n) { return read_lifespan(r, n); });
  e.inherits_from = r.optional_text(f.get("inherits_from"));
  e.meta = r.documentation_meta(f.get("meta"));
  e.parent = r.optional_text(f.get("parent"));
}

void read_dimension(const Reader& r, const Node& node, Dimension& d) {
  static constexpr yaml::FieldNames kNames = {
      "name",     "type",        "description", "expr",        "original_expr", "samples",
      "synonyms", "primary_key", "sub_query",   "segmentable", "inherits_from", "meta"};
  Fields<kNames> f(r, node);
  auto flag = [&](const Node* node) {
    return r.optional(node, [&](const Node& n) { return r.boolean(n); });
  };
  d.name = r.text(f.required("name"));
  d.type = read_enum<DimensionType, 6>(r, f.required("type"));
  d.description = r.documentation_text(f.get("description"));
  d.expr = r.text(f.required("expr"));
  d.original_expr = r.optional_text(f.get("original_expr"));
  d.samples = r.documentation_texts(f.get("samples"));
  d.synonyms = r.documentation_texts(f.get("synonyms"));
  d.primary_key = flag(f.get("primary_key"));
  d.sub_query = flag(f.get("sub_query"));
  d.segmentable = flag(f.get("segmentable"));
  d.inherits_from = r.optional_text(f.get("inherits_from"));
  d.meta = r.documentation_meta(f.get("meta"));
}

MeasureFilter read_measure_filter(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"expr", "original_expr", "description"};
  Fields<kNames> f(r, node);
  return MeasureFilter{r.text(f.required("expr")), r.optional_text(f.get("original_expr")),
                       r.documentation_text(f.get("description"))};
}

RollingWindow read_rolling_window(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"trailing", "leading", "offset"};
  Fields<kNames> f(r, node);
  return RollingWindow{r.optional_text(f.get("trailing")), r.optional_text(f.get("leading")),
                       r.optional_text(f.get("offset"))};
}

Driver read_driver(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {
      "measure", "direction", "strength", "confidence",  "coefficient", "coefficients",
      "form",    "intercept", "lag",      "description", "refs"};
  Fields<kNames> f(r, node);
  auto number = [&](const Node& n) { return r.number(n); };
  Driver d;
  d.measure = r.text(f.required("measure"));
  if (const Node* n = f.get("direction")) d.direction = read_enum<DriverDirection, 3>(r, *n);
  if (const Node* n = f.get("strength")) d.strength = read_enum<DriverStrength, 3>(r, *n);
  if (const Node* n = f.get("confidence")) d.confidence = read_enum<DriverConfidence, 3>(r, *n);
  d.coefficient = r.optional(f.get("coefficient"), number);
  d.coefficients =
      r.optional(f.get("coefficients"), [&](const Node& n) { return r.list(n, number); });
  d.form = r.optional(f.get("form"), [&](const Node& n) { return read_enum<DriverForm, 9>(r, n); });
  d.intercept = r.optional(f.get("intercept"), number);
  d.lag = r.optional(f.get("lag"), [&](const Node& n) { return r.unsigned_integer(n); });
  d.description = r.documentation_text(f.get("description"));
  d.refs = r.optional_texts(f.get("refs"));
  return d;
}

Shift read_shift(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"measure", "by", "direction", "comparable_by",
                                              "maturity"};
  Fields<kNames> f(r, node);
  Shift s;
  s.measure = r.text(f.required("measure"));
  s.by = r.text(f.required("by"));
  if (const Node* n = f.get("direction")) s.direction = read_enum<ShiftDirection, 2>(r, *n);
  s.comparable_by = r.optional_text(f.get("comparable_by"));
  s.maturity = r.optional_text(f.get("maturity"));
  return s;
}

std::optional<std::vector<MeasureFilter>> read_measure_filters(const Reader& r, const Node* node) {
  return r.optional(node, [&](const Node& n) {
    return r.list(n, [&](const Node& item) { return read_measure_filter(r, item); });
  });
}

std::optional<std::vector<Driver>> read_drivers(const Reader& r, const Node* node) {
  return r.optional(node, [&](const Node& n) {
    return r.list(n, [&](const Node& item) { return read_driver(r, item); });
  });
}

// A measure without `type` is a number when it shifts another measure; without either it is
// not a full measure at all.
void read_measure(const Reader& r, const Node& node, Measure& m) {
  static constexpr yaml::FieldNames kNames = {
      "name",    "type",    "description", "expr",           "original_expr",
      "filters", "samples", "synonyms",    "rolling_window", "inherits_from",
      "drivers", "shift",   "meta"};
  Fields<kNames> f(r, node);
  m.name = r.text(f.required("name"));
  auto type =
      r.optional(f.get("type"), [&](const Node& n) { return read_enum<MeasureType, 10>(r, n); });
  // The type is settled once `shift` is known.
  m.description = r.documentation_text(f.get("description"));
  m.expr = r.optional_text_view(f.get("expr"));
  m.original_expr = r.optional_text(f.get("original_expr"));
  m.filters = read_measure_filters(r, f.get("filters"));
  m.samples = r.documentation_texts(f.get("samples"));
  m.synonyms = r.documentation_texts(f.get("synonyms"));
  m.rolling_window =
      r.optional(f.get("rolling_window"), [&](const Node& n) { return read_rolling_window(r, n); });
  m.inherits_from = r.optional_text(f.get("inherits_from"));
  m.drivers = read_drivers(r, f.get("drivers"));
  m.shift = r.optional(f.get("shift"), [&](const Node& n) { return read_shift(r, n); });
  m.meta = r.documentation_meta(f.get("meta"));
  if (type)
    m.type = *type;
  else if (m.shift)
    m.type = MeasureType::Number;
  else
    throw yaml::missing_field("type");
}

std::string read_inherit(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"inherits_from"};
  Fields<kNames> f(r, node);
  return r.text(f.required("inherits_from"));
}

// Tries the full form, then the inherit form; each attempt's own error is discarded, and a
// failed full form leaves no record behind. The key look-ups skip attempts that cannot succeed
// without raising.
template <typename Full, typename ReadFull>
void read_untagged(const Reader& reader, const Node& node, ReadFull read_full,
                   std::string_view kind, std::vector<Full>& items,
                   std::vector<InheritItem>& inherited) {
  if (yaml::has_key(reader.doc(), node, "name")) {
    try {
      read_full(reader, node, items.emplace_back());
      return;
    } catch (const Failure&) {
      items.pop_back();
    }
  }
  if (yaml::has_key(reader.doc(), node, "inherits_from")) {
    try {
      inherited.push_back(InheritItem{items.size(), read_inherit(reader, node)});
      items.emplace_back();
      return;
    } catch (const Failure&) {
    }
  }
  throw Failure("data did not match any variant of untagged enum " + std::string(kind));
}

template <typename Full, typename ReadFull>
void read_items(const Reader& reader, const Node& node, ReadFull read_full, std::string_view kind,
                std::vector<Full>& items, std::vector<InheritItem>& inherited) {
  const Reader core = reader.core();
  const yaml::Document& doc = reader.doc();
  const Node& sequence = reader.expect_sequence(node);
  items.reserve(items.size() + sequence.count);
  for (std::uint32_t index : doc.children(sequence))
    read_untagged<Full>(core, doc.node(index), read_full, kind, items, inherited);
}

}  // namespace

void read_entity_items(const Reader& reader, const Node& node, std::vector<Entity>& items,
                       std::vector<InheritItem>& inherited) {
  read_items(reader, node, read_entity, "EntityItem", items, inherited);
}

void read_dimension_items(const Reader& reader, const Node& node, std::vector<Dimension>& items,
                          std::vector<InheritItem>& inherited) {
  read_items(reader, node, read_dimension, "DimensionItem", items, inherited);
}

void read_measure_items(const Reader& reader, const Node& node, std::vector<Measure>& items,
                        std::vector<InheritItem>& inherited) {
  read_items(reader, node, read_measure, "MeasureItem", items, inherited);
}

}  // namespace orvane
