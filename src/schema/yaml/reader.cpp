#include "schema/yaml/reader.h"

#include <unordered_map>

#include "common/failure.h"
#include "schema/yaml/messages.h"
#include "schema/yaml/position.h"
#include "schema/yaml/scalar.h"

namespace orvane::yaml {
namespace {

constexpr std::size_t kShownTextBytes = 64;

std::string shown(std::string_view text) {
  if (text.size() <= kShownTextBytes) return std::string(text);
  std::size_t cut = kShownTextBytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut)) + "...";
}

// Object entries keep their first position and take the last value of a repeated key.
void put_entry(ValueObject& object, std::unordered_map<std::string, std::size_t>& positions,
               std::string key, Value value) {
  auto [found, inserted] = positions.try_emplace(key, object.size());
  if (inserted)
    object.emplace_back(std::move(key), std::move(value));
  else
    object[found->second].second = std::move(value);
}

}  // namespace

bool Reader::is_null(const Node& node) const {
  return yaml::is_null(*doc_, node);
}

std::string_view Reader::text_view(const Node& node) const {
  if (node.kind != NodeKind::Scalar) invalid_type(node, "a string");
  if (scalars_ == Scalars::Core && core_type(*doc_, node) != ScalarType::String)
    invalid_type(node, "a string");
  return doc_->text(node);
}

std::string Reader::text(const Node& node) const {
  return std::string(text_view(node));
}

// As optional(node, text_view), typing the scalar once instead of twice.
std::optional<std::string_view> Reader::given_text_view(const Node& node) const {
  if (node.kind != NodeKind::Scalar) invalid_type(node, "a string");
  ScalarType type = core_type(*doc_, node);
  if (type == ScalarType::Null) return std::nullopt;
  if (scalars_ == Scalars::Core && type != ScalarType::String) invalid_type(node, "a string");
  return doc_->text(node);
}

std::optional<std::string> Reader::given_text(const Node& node) const {
  if (auto text = given_text_view(node)) return std::string(*text);
  return std::nullopt;
}

std::optional<std::string> Reader::given_documentation_text(const Node& node) const {
  if (documentation_ == Documentation::Keep) return given_text(node);
  given_text_view(node);
  return std::nullopt;
}

std::optional<std::vector<std::string>> Reader::given_documentation_texts(const Node& node) const {
  if (documentation_ == Documentation::Keep) return optional_texts(&node);
  if (!is_null(node)) check_texts(node);
  return std::nullopt;
}

// Follows map_of: each entry's value is read before its key, as in `out[key] = value`.
std::optional<MetaMap> Reader::given_documentation_meta(const Node& node) const {
  if (documentation_ == Documentation::Keep) return optional_meta(&node);
  if (is_null(node)) return std::nullopt;
  const Node& mapping = expect_mapping(node);
  for (std::size_t i = 0; i < doc_->length(mapping); ++i) {
    check_texts(doc_->value(mapping, i));
    text_view(doc_->key(mapping, i));
  }
  return std::nullopt;
}

void Reader::check_texts(const Node& node) const {
  for (std::uint32_t index : doc_->children(expect_sequence(node))) text_view(doc_->node(index));
}

bool Reader::boolean(const Node& node) const {
  if (node.kind != NodeKind::Scalar || core_type(*doc_, node) != ScalarType::Bool)
    invalid_type(node, "a boolean");
  char first = doc_->text(node)[0];
  return first == 't' || first == 'T';
}

double Reader::number(const Node& node) const {
  if (node.kind == NodeKind::Scalar) {
    ScalarType type = core_type(*doc_, node);
    if (type == ScalarType::Int || type == ScalarType::Float) {
      Value value = core_value(*doc_, node);
      if (auto* d = std::get_if<double>(&value.data)) return *d;
      if (auto* u = std::get_if<std::uint64_t>(&value.data)) return static_cast<double>(*u);
      return static_cast<double>(std::get<std::int64_t>(value.data));
    }
  }
  invalid_type(node, "f64");
}

std::uint64_t Reader::unsigned_integer(const Node& node) const {
  if (node.kind != NodeKind::Scalar || core_type(*doc_, node) != ScalarType::Int)
    invalid_type(node, "u64");
  Value value = core_value(*doc_, node);
  if (auto* u = std::get_if<std::uint64_t>(&value.data)) return *u;
  invalid_value(node, "u64");
}

Value Reader::value(const Node& node) const {
  switch (node.kind) {
    case NodeKind::Scalar:
      return core_value(*doc_, node);
    case NodeKind::Sequence: {
      ValueArray items;
      items.reserve(node.count);
      for (std::uint32_t index : doc_->children(node)) items.push_back(value(doc_->node(index)));
      return Value(std::move(items));
    }
    case NodeKind::Mapping:
      break;
  }
  ValueObject object;
  object.reserve(doc_->length(node));
  std::unordered_map<std::string, std::size_t> positions;
  for (std::size_t i = 0; i < doc_->length(node); ++i) {
    const Node& key = doc_->key(node, i);
    if (key.kind != NodeKind::Scalar) invalid_type(key, "a string key");
    put_entry(object, positions, std::string(doc_->text(key)), value(doc_->value(node, i)));
  }
  return Value(std::move(object));
}

std::vector<std::string> Reader::texts(const Node& node) const {
  return list(node, [&](const Node& item) { return text(item); });
}

MetaMap Reader::meta(const Node& node) const {
  return map_of(node, [&](const Node& value) { return texts(value); });
}

std::size_t Reader::variant(const Node& node, std::span<const std::string_view> spellings) const {
  std::string_view written = text_view(node);
  for (std::size_t i = 0; i < spellings.size(); ++i)
    if (same_text(spellings[i], written)) return i;
  throw unknown_variant(written, spellings);
}

std::size_t Reader::variant(const Node& node, const FieldNames& table,
                            std::span<const std::string_view> spellings) const {
  std::string_view written = text_view(node);
  std::size_t index = table.find(written);
  if (index == table.size()) throw unknown_variant(written, spellings);
  return index;
}

const Node& Reader::expect_mapping(const Node& node) const {
  if (node.kind != NodeKind::Mapping) invalid_type(node, "a mapping");
  return node;
}

const Node& Reader::expect_sequence(const Node& node) const {
  if (node.kind != NodeKind::Sequence) invalid_type(node, "a sequence");
  return node;
}

void Reader::invalid_type(const Node& node, std::string_view expected) const {
  throw Failure("invalid type: " + describe(node) + ", expected " + std::string(expected) +
                at(node.mark));
}

void Reader::invalid_value(const Node& node, std::string_view expected) const {
  throw Failure("invalid value: " + describe(node) + ", expected " + std::string(expected) +
                at(node.mark));
}

std::string Reader::describe(const Node& node) const {
  if (node.kind == NodeKind::Sequence) return "sequence";
  if (node.kind == NodeKind::Mapping) return "map";
  std::string text = shown(doc_->text(node));
  switch (core_type(*doc_, node)) {
    case ScalarType::Null:
      return "null";
    case ScalarType::Bool:
      return "boolean `" + text + "`";
    case ScalarType::Int:
      return "integer `" + text + "`";
    case ScalarType::Float:
      return "floating point `" + text + "`";
    case ScalarType::String:
      break;
  }
  return "string \"" + text + "\"";
}

void throw_missing_field(std::string_view name) {
  throw missing_field(name);
}

void throw_duplicate_field(std::string_view name) {
  throw duplicate_field(name);
}

}  // namespace orvane::yaml
