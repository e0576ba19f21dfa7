// A JSON-shaped value tree: query motif parameters, YAML values kept with their type, and the
// results handed to Python. Objects keep their entries in insertion order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace orvane {

struct Value;
using ValueArray = std::vector<Value>;
using ValueObject = std::vector<std::pair<std::string, Value>>;

struct Value {
  // Non-negative integers are held unsigned, negative ones signed.
  using Data = std::variant<std::monostate, bool, std::int64_t, std::uint64_t, double, std::string,
                            ValueArray, ValueObject>;
  Data data;

  Value() = default;
  Value(bool b) : data(b) {}
  Value(std::int64_t i) : data(i) {}
  Value(std::uint64_t u) : data(u) {}
  Value(double d) : data(d) {}
  Value(std::string s) : data(std::move(s)) {}
  Value(const char* s) : data(std::string(s)) {}
  Value(ValueArray a) : data(std::move(a)) {}
  Value(ValueObject o) : data(std::move(o)) {}

  bool is_null() const { return std::holds_alternative<std::monostate>(data); }
  bool operator==(const Value&) const = default;
};

// Compact JSON text of a value (no spaces), strings escaped as JSON requires.
std::string to_compact_json(const Value& value);

// Appends `text` as a JSON string literal (quotes included).
void append_json_string(std::string& out, std::string_view text);

}  // namespace orvane
