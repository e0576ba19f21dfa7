#include "engine/query/query_parser.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/query/json_cursor.h"
#include "engine/query/json_values.h"

namespace orvane {
namespace {

constexpr std::size_t kFirstListCapacity = 4;

constexpr std::array<std::string_view, 13> kRequestFields = {
    "measures", "dimensions", "filters",   "segments", "time_dimensions", "order",       "limit",
    "offset",   "timezone",   "ungrouped", "through",  "motif",           "motif_params"};
// Whether a request element may be left off the positional form (an empty list, false or an
// empty map); the others have no default.
constexpr std::array<bool, 13> kRequestDefaults = {true,  true,  true, true, true,  true, false,
                                                   false, false, true, true, false, true};

constexpr std::array<std::string_view, 5> kFilterFields = {"member", "operator", "values", "and",
                                                           "or"};
constexpr std::array<bool, 5> kFilterDefaults = {false, false, true, false, false};

constexpr std::array<std::string_view, 3> kTimeDimensionFields = {"dimension", "granularity",
                                                                  "date_range"};
constexpr std::array<std::string_view, 2> kOrderFields = {"id", "desc"};

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
std::string operator_choices() {
  std::string out = "one of ";
  for (int i = 0; i < kFilterOperatorCount; ++i) {
    if (i) out += ", ";
    out += '`';
    out += spelling(static_cast<FilterOperator>(i));
    out += '`';
  }
  return out;
}

// Reads the query text straight into the request records in one forward pass. Each record is
// an object of named fields or the positional array of its field values.
class QueryReader {
 public:
  explicit QueryReader(std::string_view text) : cursor_(text) {}

  QueryRequest read() {
    QueryRequest request =
        read_record<QueryRequest>("struct QueryRequest", &QueryReader::read_request_fields,
                                  &QueryReader::read_request_elements);
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

  template <class Element, class ReadElement>
  std::vector<Element> read_list(ReadElement read_element) {
    if (peek_value() != '[') fail_invalid_type(cursor_, "a sequence");
    cursor_.enter_nested();
    cursor_.advance();
    std::vector<Element> items;
    bool first = true;
    while (cursor_.next_element(first)) {
      // Request lists are short: room for a few at once spares the regrowth of the first ones.
      if (items.empty()) items.reserve(kFirstListCapacity);
      items.push_back((this->*read_element)());
    }
    cursor_.end_array();
    cursor_.leave_nested();
    return items;
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
    if (!op)
      cursor_.fail("unknown variant `" + std::string(name) + "`, expected " + operator_choices());
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

  // A record as an object or as its positional array; each form's reader consumes the closing
  // bracket itself, because errors about missing fields are reported after it.
  template <class Record>
  Record read_record(std::string_view expected, Record (QueryReader::*from_object)(),
                     Record (QueryReader::*from_array)()) {
    int c = peek_value();
    if (c != '{' && c != '[') fail_invalid_type(cursor_, expected);
    cursor_.enter_nested();
    cursor_.advance();
    Record record = c == '{' ? (this->*from_object)() : (this->*from_array)();
    cursor_.leave_nested();
    return record;
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
    cursor_.fail("duplicate field `" + std::string(field) + "`");
  }

  [[noreturn]] void fail_missing(std::string_view field) {
    cursor_.fail("missing field `" + std::string(field) + "`");
  }

  // Steps to element `index` of a positional record; at the closing bracket (consumed) a
  // missing element without a default is an error naming its index.
  bool next_element(bool& first, std::size_t index, bool has_default, std::string_view record) {
    if (cursor_.next_element(first)) return true;
    if (has_default) return false;
    cursor_.end_array();
    cursor_.fail("invalid length " + std::to_string(index) + ", expected " + std::string(record));
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
        request.filters = read_list<QueryFilter>(&QueryReader::read_filter);
        break;
      case 3:
        request.segments = read_strings();
        break;
      case 4:
        request.time_dimensions = read_list<TimeDimensionQuery>(&QueryReader::read_time_dimension);
        break;
      case 5:
        request.order = read_list<OrderBy>(&QueryReader::read_order_by);
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

  QueryRequest read_request_fields() {
    QueryRequest request;
    std::uint32_t seen = 0;
    bool first = true;
    for (int field; (field = next_field(kRequestFields, seen, first)) >= 0;)
      read_request_field(request, field);
    return request;
  }

  QueryRequest read_request_elements() {
    QueryRequest request;
    bool first = true;
    for (std::size_t i = 0; i < kRequestFields.size(); ++i)
      if (next_element(first, i, kRequestDefaults[i], "struct QueryRequest with 13 elements"))
        read_request_field(request, static_cast<int>(i));
    cursor_.end_array();
    return request;
  }

  QueryFilter read_filter() {
    return read_record<QueryFilter>("struct QueryFilter", &QueryReader::read_filter_fields,
                                    &QueryReader::read_filter_elements);
  }

  std::optional<std::vector<QueryFilter>> read_optional_filters() {
    if (read_null()) return std::nullopt;
    return read_list<QueryFilter>(&QueryReader::read_filter);
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

  QueryFilter read_filter_fields() {
    QueryFilter filter;
    std::uint32_t seen = 0;
    bool first = true;
    for (int field; (field = next_field(kFilterFields, seen, first)) >= 0;)
      read_filter_field(filter, field);
    return filter;
  }

  QueryFilter read_filter_elements() {
    QueryFilter filter;
    bool first = true;
    for (std::size_t i = 0; i < kFilterFields.size(); ++i)
      if (next_element(first, i, kFilterDefaults[i], "struct QueryFilter with 5 elements"))
        read_filter_field(filter, static_cast<int>(i));
    cursor_.end_array();
    return filter;
  }

  TimeDimensionQuery read_time_dimension() {
    return read_record<TimeDimensionQuery>("struct TimeDimensionQuery",
                                           &QueryReader::read_time_dimension_fields,
                                           &QueryReader::read_time_dimension_elements);
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

  TimeDimensionQuery read_time_dimension_fields() {
    TimeDimensionQuery query;
    std::uint32_t seen = 0;
    bool first = true;
    for (int field; (field = next_field(kTimeDimensionFields, seen, first)) >= 0;)
      read_time_dimension_field(query, field);
    if (!(seen & 1u)) fail_missing("dimension");
    return query;
  }

  TimeDimensionQuery read_time_dimension_elements() {
    TimeDimensionQuery query;
    bool first = true;
    for (std::size_t i = 0; i < kTimeDimensionFields.size(); ++i)
      if (next_element(first, i, false, "struct TimeDimensionQuery with 3 elements"))
        read_time_dimension_field(query, static_cast<int>(i));
    cursor_.end_array();
    return query;
  }

  OrderBy read_order_by() {
    return read_record<OrderBy>("struct OrderBy", &QueryReader::read_order_by_fields,
                                &QueryReader::read_order_by_elements);
  }

  void read_order_by_field(OrderBy& order, int field) {
    if (field == 0)
      order.id = read_string();
    else
      order.desc = read_bool();
  }

  OrderBy read_order_by_fields() {
    OrderBy order;
    std::uint32_t seen = 0;
    bool first = true;
    for (int field; (field = next_field(kOrderFields, seen, first)) >= 0;)
      read_order_by_field(order, field);
    if (!(seen & 1u)) fail_missing("id");
    return order;
  }

  OrderBy read_order_by_elements() {
    OrderBy order;
    bool first = true;
    for (std::size_t i = 0; i < kOrderFields.size(); ++i)
      if (next_element(first, i, i == 1, "struct OrderBy with 2 elements"))
        read_order_by_field(order, static_cast<int>(i));
    cursor_.end_array();
    return order;
  }

  JsonCursor cursor_;
  std::string scratch_;
};

}  // namespace

QueryRequest parse_query_json(std::string_view text) {
  return QueryReader(text).read();
}

}  // namespace orvane
