#include "engine/query/query_parser.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/query/json_cursor.h"
#include "engine/query/json_values.h"
#include "schema/yaml/messages.h"

namespace orvane {
namespace {

constexpr std::size_t kFirstListCapacity = 4;

// How a record is written: an object of named fields, or the positional array of the field
// values in the same order.
template <std::size_t N>
struct RecordForm {
  std::string_view name;
  std::array<std::string_view, N> fields;
  // Whether each element may be left off the end of the positional form.
  std::array<bool, N> positional_defaults;
  // The field the object form must give, or -1.
  int required = -1;
};

// The request elements that may be left off have an empty list, false or an empty map as default.
constexpr RecordForm<13> kRequestForm = {
    "struct QueryRequest",
    {"measures", "dimensions", "filters", "segments", "time_dimensions", "order", "limit", "offset",
     "timezone", "ungrouped", "through", "motif", "motif_params"},
    {true, true, true, true, true, true, false, false, false, true, true, false, true}};

constexpr RecordForm<5> kFilterForm = {"struct QueryFilter",
                                       {"member", "operator", "values", "and", "or"},
                                       {false, false, true, false, false}};

constexpr RecordForm<3> kTimeDimensionForm = {"struct TimeDimensionQuery",
                                              {"dimension", "granularity", "date_range"},
                                              {false, false, false},
                                              0};

constexpr RecordForm<2> kOrderForm = {"struct OrderBy", {"id", "desc"}, {false, true}, 0};

template <std::size_t N>
int field_index(const std::array<std::string_view, N>& fields, std::string_view key) {
  for (std::size_t i = 0; i < N; ++i)
    if (fields[i] == key) return static_cast<int>(i);
  return -1;
}

bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

// "one of `equals`, `notEquals`, ..." in the enumeration's order.

// Reads the query text straight into the request records in one forward pass. Each record is
// an object of named fields or the positional array of its field values.
class QueryReader {
 public:
  explicit QueryReader(std::string_view text) : cursor_(text) {}

  QueryRequest read() {
    QueryRequest request;
    read_record(kRequestForm, &QueryReader::read_request_field, request);
    cursor_.end_text();
    return request;
  }

 private:
  using Strings = std::vector<std::string>;

  // The next value's first byte; the end of the text is an error wherever a value is due.
  int peek_value() {
    int c = cursor_.peek_token();
    if (c == JsonCursor::kEnd) cursor_.fail_at_peeked("EOF while parsing a value");
    return c;
  }

  // `null` where a field accepts it; anything else is left for the field's own reader.
  bool read_null() {
    if (cursor_.peek_token() != 'n') return false;
    cursor_.consume_literal("null");
    return true;
  }

  std::string read_string() {
    if (peek_value() != '"') fail_invalid_type(cursor_, "a string");
    cursor_.advance();
    return std::string(cursor_.read_string(scratch_));
  }

  bool read_bool() {
    int c = peek_value();
    if (c == 't' || c == 'f') {
      cursor_.consume_literal(c == 't' ? "true" : "false");
      return c == 't';
    }
    fail_invalid_type(cursor_, "a boolean");
  }

  std::uint64_t read_u64() {
    int c = peek_value();
    if (c != '-' && !is_digit(c)) fail_invalid_type(cursor_, "u64");
    if (c == '-') cursor_.advance();
    JsonNumber number = cursor_.read_number(c == '-');
    if (number.kind == JsonNumber::Kind::Unsigned) return number.unsigned_value;
    if (number.kind == JsonNumber::Kind::Signed)
      cursor_.fail("invalid value: " + describe_number(number) + ", expected u64");
    cursor_.fail("invalid type: " + describe_number(number) + ", expected u64");
  }

  // A JSON array, each element added to the list by `add_element(items)`.
  template <class Element, class AddElement>
  std::vector<Element> read_array(AddElement add_element) {
    if (peek_value() != '[') fail_invalid_type(cursor_, "a sequence");
    cursor_.enter_nested();
    cursor_.advance();
    std::vector<Element> items;
    bool first = true;
    while (cursor_.next_element(first)) {
      // Request lists are short: room for a few at once spares the regrowth of the first ones.
      if (items.empty()) items.reserve(kFirstListCapacity);
      add_element(items);
    }
    cursor_.end_array();
    cursor_.leave_nested();
    return items;
  }

  template <class Element, class ReadElement>
  std::vector<Element> read_list(ReadElement read_element) {
    return read_array<Element>(
        [&](std::vector<Element>& items) { items.push_back((this->*read_element)()); });
  }

  // As read_list, for records: each is read in its place in the list instead of being moved
  // there. (Strings stay with read_list: made at their exact size and moved, they cost less than
  // assigning into a default string.)
  template <class Record>
  std::vector<Record> read_records(void (QueryReader::*read_element)(Record&)) {
    return read_array<Record>(
        [&](std::vector<Record>& items) { (this->*read_element)(items.emplace_back()); });
  }

  Strings read_strings() { return read_list<std::string>(&QueryReader::read_string); }

  std::optional<std::string> read_optional_string() {
    if (read_null()) return std::nullopt;
    return read_string();
  }

  // An operator is its name in a string, or an object whose single key is the name and whose
  // value is null.
  FilterOperator read_operator() {
    int c = peek_value();
    if (c == '"') return read_operator_name();
    if (c != '{') cursor_.fail_at_peeked("expected value");
    cursor_.enter_nested();
    cursor_.advance();
    if (peek_value() != '"') fail_invalid_type(cursor_, "variant identifier");
    FilterOperator op = read_operator_name();
    cursor_.expect_colon();
    if (peek_value() != 'n') fail_invalid_type(cursor_, "unit");
    read_null();
    cursor_.leave_nested();
    c = cursor_.peek_token();
    if (c != '}')
      cursor_.fail(c == JsonCursor::kEnd ? "EOF while parsing an object" : "expected value");
    cursor_.advance();
    return op;
  }

  FilterOperator read_operator_name() {
    cursor_.advance();
    std::string_view name = cursor_.read_string(scratch_);
    std::optional<FilterOperator> op = filter_operator_named(name);
    if (!op) cursor_.fail(yaml::unknown_variant(name, filter_operator_spellings()).message());
    return *op;
  }

  std::map<std::string, Value> read_motif_params() {
    if (peek_value() != '{') fail_invalid_type(cursor_, "a map");
    cursor_.enter_nested();
    cursor_.advance();
    std::map<std::string, Value> params;
    bool first = true;
    while (cursor_.next_key(first)) {
      std::string key(cursor_.read_string(scratch_));
      cursor_.expect_colon();
      params.insert_or_assign(std::move(key), read_json_value(cursor_, scratch_));
    }
    cursor_.end_object();
    cursor_.leave_nested();
    return params;
  }

  // A record as an object or as its positional array, each field read by `read_field` into
  // `record` (a default one). Errors about missing fields are reported after the closing bracket.
  template <class Record, std::size_t N>
  void read_record(const RecordForm<N>& form, void (QueryReader::*read_field)(Record&, int),
                   Record& record) {
    int c = peek_value();
    if (c != '{' && c != '[') fail_invalid_type(cursor_, form.name);
    cursor_.enter_nested();
    cursor_.advance();
    if (c == '{')
      read_fields(record, form, read_field);
    else
      read_elements(record, form, read_field);
    cursor_.leave_nested();
  }

  template <class Record, std::size_t N>
  void read_fields(Record& record, const RecordForm<N>& form,
                   void (QueryReader::*read_field)(Record&, int)) {
    std::uint32_t seen = 0;
    bool first = true;
    for (int field; (field = next_field(form.fields, seen, first)) >= 0;)
      (this->*read_field)(record, field);
    if (form.required >= 0 && !(seen & (1u << form.required)))
      fail_missing(form.fields[form.required]);
  }

  // Up to and including the closing bracket.
  template <class Record, std::size_t N>
  void read_elements(Record& record, const RecordForm<N>& form,
                     void (QueryReader::*read_field)(Record&, int)) {
    bool first = true;
    for (std::size_t i = 0; i < N; ++i)
      if (next_element(first, i, form.positional_defaults[i], form.name, N))
        (this->*read_field)(record, static_cast<int>(i));
    cursor_.end_array();
  }

  // Steps to the next field of an object; unknown keys are skipped with their values. Returns
  // the field's index, or -1 at the closing brace (consumed).
  template <std::size_t N>
  int next_field(const std::array<std::string_view, N>& fields, std::uint32_t& seen, bool& first) {
    for (;;) {
      if (!cursor_.next_key(first)) {
        cursor_.end_object();
        return -1;
      }
      int field = field_index(fields, cursor_.read_string(scratch_));
      if (field < 0) {
        cursor_.expect_colon();
        skip_json_value(cursor_);
        continue;
      }
      if (seen & (1u << field)) fail_duplicate(fields[field]);
      seen |= 1u << field;
      cursor_.expect_colon();
      return field;
    }
  }

  // Reported where the reader stands after the key and the white space behind it (past a
  // closing brace that follows at once).
  [[noreturn]] void fail_duplicate(std::string_view field) {
    if (cursor_.peek_token() == '}') cursor_.advance();
    cursor_.fail(yaml::duplicate_field(field).message());
  }

  [[noreturn]] void fail_missing(std::string_view field) {
    cursor_.fail(yaml::missing_field(field).message());
  }

  // Steps to element `index` of a positional record; at the closing bracket (consumed) a
  // missing element without a default is an error naming its index.
  bool next_element(bool& first, std::size_t index, bool has_default, std::string_view record,
                    std::size_t length) {
    if (cursor_.next_element(first)) return true;
    if (has_default) return false;
    cursor_.end_array();
    cursor_.fail("invalid length " + std::to_string(index) + ", expected " + std::string(record) +
                 " with " + std::to_string(length) + " elements");
  }

  void read_request_field(QueryRequest& request, int field) {
    switch (field) {
      case 0:
        request.measures = read_strings();
        break;
      case 1:
        request.dimensions = read_strings();
        break;
      case 2:
        request.filters = read_records(&QueryReader::read_filter);
        break;
      case 3:
        request.segments = read_strings();
        break;
      case 4:
        request.time_dimensions = read_records(&QueryReader::read_time_dimension);
        break;
      case 5:
        request.order = read_records(&QueryReader::read_order_by);
        break;
      case 6:
        request.limit = read_null() ? std::nullopt : std::optional(read_u64());
        break;
      case 7:
        request.offset = read_null() ? std::nullopt : std::optional(read_u64());
        break;
      case 8:
        request.timezone = read_optional_string();
        break;
      case 9:
        request.ungrouped = read_bool();
        break;
      case 10:
        request.through = read_strings();
        break;
      case 11:
        request.motif = read_optional_string();
        break;
      default:
        request.motif_params = read_motif_params();
        break;
    }
  }

  void read_filter(QueryFilter& filter) {
    read_record(kFilterForm, &QueryReader::read_filter_field, filter);
  }

  std::optional<std::vector<QueryFilter>> read_optional_filters() {
    if (read_null()) return std::nullopt;
    return read_records(&QueryReader::read_filter);
  }

  void read_filter_field(QueryFilter& filter, int field) {
    switch (field) {
      case 0:
        filter.member = read_optional_string();
        break;
      case 1:
        filter.op = read_null() ? std::nullopt : std::optional(read_operator());
        break;
      case 2:
        filter.values = read_strings();
        break;
      case 3:
        filter.and_filters = read_optional_filters();
        break;
      default:
        filter.or_filters = read_optional_filters();
        break;
    }
  }

  void read_time_dimension(TimeDimensionQuery& query) {
    read_record(kTimeDimensionForm, &QueryReader::read_time_dimension_field, query);
  }

  void read_time_dimension_field(TimeDimensionQuery& query, int field) {
    switch (field) {
      case 0:
        query.dimension = read_string();
        break;
      case 1:
        query.granularity = read_optional_string();
        break;
      default:
        query.date_range = read_null() ? std::nullopt : std::optional(read_strings());
        break;
    }
  }

  void read_order_by(OrderBy& order) {
    read_record(kOrderForm, &QueryReader::read_order_by_field, order);
  }

  void read_order_by_field(OrderBy& order, int field) {
    if (field == 0)
      order.id = read_string();
    else
      order.desc = read_bool();
  }

  JsonCursor cursor_;
  std::string scratch_;
};

}  // namespace

QueryRequest parse_query_json(std::string_view text) {
  return QueryReader(text).read();
}

}  // namespace orvane
