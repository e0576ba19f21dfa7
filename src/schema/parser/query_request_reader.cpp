#include "schema/parser/query_request_reader.h"

#include <array>
#include <optional>
#include <stdexcept>
#include <string>

#include "common/failure.h"
#include "schema/yaml/messages.h"
#include "schema/yaml/position.h"

namespace orvane {
namespace {

using yaml::Node;
using yaml::Reader;

// One query record's field values, looked up by name in a mapping or by position in a
// sequence. A short sequence may leave off only trailing fields with an empty or false default;
// the first missing one without a default is named by its index when it is looked up, so the
// elements before it are read (and can fail) first. Readers look fields up in their order.
template <std::size_t N>
class RecordFields {
 public:
  RecordFields(const Reader& r, const Node& node, const yaml::FieldNames& names,
               std::string_view record, const std::array<bool, N>& defaultable)
      : names_(names) {
    if (names.size() != N) throw std::logic_error("record fields and defaults differ in number");
    if (node.kind == yaml::NodeKind::Mapping) {
      yaml::match_fields(r, node, names, {}, values_);
      return;
    }
    std::string expected = "struct " + std::string(record) + " with " + std::to_string(N) +
                           (N == 1 ? " element" : " elements");
    if (node.kind != yaml::NodeKind::Sequence)
      r.invalid_type(node, "struct " + std::string(record));
    std::size_t length = node.count;
    if (length > N) throw_length(length, expected, node);
    for (std::size_t i = 0; i < N; ++i) {
      if (i < length)
        values_[i] = &r.doc().item(node, i);
      else if (!defaultable[i] && !missing_)
        missing_ = Missing{i, std::move(expected), &node};
    }
  }

  const Node* get(std::string_view name) const {
    for (std::size_t i = 0; i < N; ++i) {
      if (names_[i] != name) continue;
      if (missing_ && i >= missing_->index)
        throw_length(missing_->index, missing_->expected, *missing_->node);
      return values_[i];
    }
    return nullptr;
  }
  const Node& required(std::string_view name) const {
    const Node* node = get(name);
    if (node == nullptr) throw yaml::missing_field(name);
    return *node;
  }

 private:
  [[noreturn]] static void throw_length(std::size_t length, const std::string& expected,
                                        const Node& node) {
    throw Failure("invalid length " + std::to_string(length) + ", expected " + expected +
                  yaml::at(node.mark));
  }

  struct Missing {
    std::size_t index;
    std::string expected;
    const Node* node;
  };

  const yaml::FieldNames& names_;
  std::array<const Node*, N> values_{};
  std::optional<Missing> missing_;
};

// An operator name, or a mapping whose single key names it with a null value.
FilterOperator read_operator(const Reader& r, const Node& node) {
  const Node* name = &node;
  if (node.kind == yaml::NodeKind::Mapping) {
    if (r.doc().length(node) != 1 || !r.is_null(r.doc().value(node, 0)))
      r.invalid_type(node, "a filter operator");
    name = &r.doc().key(node, 0);
  }
  return static_cast<FilterOperator>(r.variant(*name, filter_operator_spellings()));
}

QueryFilter read_filter(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"member", "operator", "values", "and", "or"};
  static constexpr std::array<bool, 5> kDefaultable = {false, false, true, false, false};
  RecordFields<5> f(r, node, kNames, "QueryFilter", kDefaultable);
  auto filters = [&](const Node& n) {
    return r.list(n, [&](const Node& item) { return read_filter(r, item); });
  };
  QueryFilter filter;
  filter.member = r.optional_text(f.get("member"));
  filter.op = r.optional(f.get("operator"), [&](const Node& n) { return read_operator(r, n); });
  if (const Node* n = f.get("values")) filter.values = r.texts(*n);
  filter.and_filters = r.optional(f.get("and"), filters);
  filter.or_filters = r.optional(f.get("or"), filters);
  return filter;
}

TimeDimensionQuery read_time_dimension(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"dimension", "granularity", "date_range"};
  static constexpr std::array<bool, 3> kDefaultable = {false, false, false};
  RecordFields<3> f(r, node, kNames, "TimeDimensionQuery", kDefaultable);
  TimeDimensionQuery query;
  query.dimension = r.text(f.required("dimension"));
  query.granularity = r.optional_text(f.get("granularity"));
  query.date_range = r.optional_texts(f.get("date_range"));
  return query;
}

OrderBy read_order(const Reader& r, const Node& node) {
  static constexpr yaml::FieldNames kNames = {"id", "desc"};
  static constexpr std::array<bool, 2> kDefaultable = {false, true};
  RecordFields<2> f(r, node, kNames, "OrderBy", kDefaultable);
  OrderBy order;
  order.id = r.text(f.required("id"));
  if (const Node* n = f.get("desc")) order.desc = r.boolean(*n);
  return order;
}

}  // namespace

QueryRequest read_query_request(const Reader& reader, const Node& node) {
  static constexpr yaml::FieldNames kNames = {
      "measures", "dimensions", "filters",   "segments", "time_dimensions", "order",       "limit",
      "offset",   "timezone",   "ungrouped", "through",  "motif",           "motif_params"};
  static constexpr std::array<bool, 13> kDefaultable = {
      true, true, true, true, true, true, false, false, false, true, true, false, true};
  Reader r = reader.core();
  RecordFields<13> f(r, node, kNames, "QueryRequest", kDefaultable);
  auto count = [&](const Node& n) { return r.unsigned_integer(n); };
  QueryRequest q;
  if (const Node* n = f.get("measures")) q.measures = r.texts(*n);
  if (const Node* n = f.get("dimensions")) q.dimensions = r.texts(*n);
  if (const Node* n = f.get("filters"))
    q.filters = r.list(*n, [&](const Node& item) { return read_filter(r, item); });
  if (const Node* n = f.get("segments")) q.segments = r.texts(*n);
  if (const Node* n = f.get("time_dimensions"))
    q.time_dimensions = r.list(*n, [&](const Node& item) { return read_time_dimension(r, item); });
  if (const Node* n = f.get("order"))
    q.order = r.list(*n, [&](const Node& item) { return read_order(r, item); });
  q.limit = r.optional(f.get("limit"), count);
  q.offset = r.optional(f.get("offset"), count);
  q.timezone = r.optional_text(f.get("timezone"));
  if (const Node* n = f.get("ungrouped")) q.ungrouped = r.boolean(*n);
  if (const Node* n = f.get("through")) q.through = r.texts(*n);
  q.motif = r.optional_text(f.get("motif"));
  if (const Node* n = f.get("motif_params"))
    q.motif_params = r.map_of(*n, [&](const Node& v) { return r.value(v); });
  return q;
}

}  // namespace orvane
