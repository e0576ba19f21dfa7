#include "schema/yaml/scalar.h"

#include <charconv>
#include <limits>

namespace orvane::yaml {
namespace {

constexpr std::string_view kCoreTag = "tag:yaml.org,2002:";

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_octal(char c) {
  return c >= '0' && c <= '7';
}
bool is_hex(char c) {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool all_of(std::string_view text, bool (*test)(char)) {
  if (text.empty()) return false;
  for (char c : text)
    if (!test(c)) return false;
  return true;
}

bool is_null_text(std::string_view text) {
  return text.empty() || text == "~" || text == "null" || text == "Null" || text == "NULL";
}

bool is_bool_text(std::string_view text) {
  return text == "true" || text == "True" || text == "TRUE" || text == "false" || text == "False" ||
         text == "FALSE";
}

std::string_view unsigned_part(std::string_view text) {
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  return text;
}

bool is_int_text(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && text[1] == 'o') return all_of(text.substr(2), is_octal);
  if (text.size() > 2 && text[0] == '0' && text[1] == 'x') return all_of(text.substr(2), is_hex);
  return all_of(unsigned_part(text), is_digit);
}

bool is_special_float(std::string_view text) {
  std::string_view body = unsigned_part(text);
  if (body == ".inf" || body == ".Inf" || body == ".INF") return true;
  return text == ".nan" || text == ".NaN" || text == ".NAN";
}

// [-+]? ( \.[0-9]+ | [0-9]+ ( \. [0-9]* )? ) ( [eE] [-+]? [0-9]+ )?
bool is_float_text(std::string_view text) {
  if (is_special_float(text)) return true;
  std::string_view s = unsigned_part(text);
  std::size_t i = 0;
  std::size_t digits = 0;
  while (i < s.size() && is_digit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    std::size_t fraction = 0;
    while (i < s.size() && is_digit(s[i])) ++i, ++fraction;
    if (digits == 0 && fraction == 0) return false;
  } else if (digits == 0) {
    return false;
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    if (i == s.size()) return false;
    while (i < s.size() && is_digit(s[i])) ++i;
  }
  return i == s.size();
}

bool may_be_typed(char c) {
  return kPlainStart[static_cast<unsigned char>(c)] != PlainStart::Text;
}

// Numbers start with a digit, a sign or a dot, so a word that is neither null nor a boolean is
// text without trying the number forms.
bool may_be_number(char c) {
  return is_digit(c) || c == '.' || c == '-' || c == '+';
}

ScalarType plain_type(std::string_view text) {
  if (!text.empty() && !may_be_typed(text[0])) return ScalarType::String;
  if (is_null_text(text)) return ScalarType::Null;
  if (is_bool_text(text)) return ScalarType::Bool;
  if (!may_be_number(text[0])) return ScalarType::String;
  if (is_int_text(text)) return ScalarType::Int;
  if (is_float_text(text)) return ScalarType::Float;
  return ScalarType::String;
}

double float_of(std::string_view text) {
  if (is_special_float(text)) {
    if (text[0] == '.' && (text[1] == 'n' || text[1] == 'N'))
      return std::numeric_limits<double>::quiet_NaN();
    return text[0] == '-' ? -std::numeric_limits<double>::infinity()
                          : std::numeric_limits<double>::infinity();
  }
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  double result = 0;
  std::from_chars(text.data(), text.data() + text.size(), result);
  return result;
}

Value int_value(std::string_view text) {
  int base = 10;
  std::string_view digits = text;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'o' || text[1] == 'x')) {
    base = text[1] == 'o' ? 8 : 16;
    digits = text.substr(2);
  }
  bool negative = !digits.empty() && digits[0] == '-';
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
  std::uint64_t magnitude = 0;
  auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
  if (error != std::errc() || end != digits.data() + digits.size())
    return Value(base == 10 ? float_of(text) : std::numeric_limits<double>::infinity());
  if (!negative) return Value(magnitude);
  constexpr std::uint64_t kLowest = std::uint64_t{1} << 63;
  if (magnitude > kLowest) return Value(float_of(text));
  if (magnitude == 0) return Value(std::uint64_t{0});
  return Value(static_cast<std::int64_t>(0 - magnitude));
}

}  // namespace

ScalarType tagged_or_plain_type(const Document& doc, const Node& scalar) {
  std::string_view tag = doc.tag(scalar);
  if (!tag.empty()) {
    if (tag == "!" || tag == "tag:yaml.org,2002:str") return ScalarType::String;
    if (tag.starts_with(kCoreTag)) return plain_type(doc.text(scalar));
  }
  return scalar.plain ? plain_type(doc.text(scalar)) : ScalarType::String;
}

bool is_null(const Document& doc, const Node& node) {
  return node.kind == NodeKind::Scalar && core_type(doc, node) == ScalarType::Null;
}

Value core_value(const Document& doc, const Node& scalar) {
  std::string_view text = doc.text(scalar);
  switch (core_type(doc, scalar)) {
    case ScalarType::Null:
      return Value();
    case ScalarType::Bool:
      return Value(text[0] == 't' || text[0] == 'T');
    case ScalarType::Int:
      return int_value(text);
    case ScalarType::Float:
      return Value(float_of(text));
    case ScalarType::String:
      break;
  }
  return Value(std::string(text));
}

}  // namespace orvane::yaml
