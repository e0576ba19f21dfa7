// Typed reading of a Document: texts, numbers, lists, free-form maps and record fields, with the
// reader's type errors naming line and column.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "schema/models/view.h"
#include "schema/yaml/document.h"
#include "schema/yaml/field_names.h"

namespace orvane::yaml {

// How scalars read where text is expected: as written (any scalar is its own text), or typed by
// the core schema first (plain `2024`, `true`, `null` are not text).
enum class Scalars { AsWritten, Core };

// Whether documentation (descriptions, labels, samples, synonyms, meta) is kept in the records,
// or only checked exactly as reading it would check it. Compiling and validating never look at
// documentation, and leaving it out spares most of the records' texts.
enum class Documentation { Keep, CheckOnly };

class Reader {
 public:
  Reader(const Document& doc, Scalars scalars, Documentation documentation = Documentation::Keep)
      : doc_(&doc), scalars_(scalars), documentation_(documentation) {}

  const Document& doc() const { return *doc_; }
  Reader core() const { return Reader(*doc_, Scalars::Core, documentation_); }

  bool is_null(const Node& node) const;
  std::string text(const Node& node) const;
  std::string_view text_view(const Node& node) const;
  bool boolean(const Node& node) const;
  double number(const Node& node) const;
  std::uint64_t unsigned_integer(const Node& node) const;
  // Any value, typed by the core schema whatever the reader's mode.
  Value value(const Node& node) const;
  std::vector<std::string> texts(const Node& node) const;
  // Text keys to lists of texts; a repeated key's last value wins.
  MetaMap meta(const Node& node) const;
  // The index of the node's text among `spellings`, or "unknown variant".
  std::size_t variant(const Node& node, std::span<const std::string_view> spellings) const;
  // As variant, looking the text up in `table`, built from the same spellings.
  std::size_t variant(const Node& node, const FieldNames& table,
                      std::span<const std::string_view> spellings) const;

  // Null and absent both read as nothing.
  template <typename Read>
  auto optional(const Node* node, Read read) const -> std::optional<decltype(read(*node))> {
    if (node == nullptr || is_null(*node)) return std::nullopt;
    return read(*node);
  }
  // Absent fields, the common case, are answered inline.
  std::optional<std::string> optional_text(const Node* node) const {
    if (node == nullptr) return std::nullopt;
    return given_text(*node);
  }
  std::optional<std::string_view> optional_text_view(const Node* node) const {
    if (node == nullptr) return std::nullopt;
    return given_text_view(*node);
  }
  std::optional<std::vector<std::string>> optional_texts(const Node* node) const {
    return optional(node, [&](const Node& n) { return texts(n); });
  }
  std::optional<MetaMap> optional_meta(const Node* node) const {
    return optional(node, [&](const Node& n) { return meta(n); });
  }
  // As optional_text, optional_texts and optional_meta; without the reader's documentation they
  // fail exactly as those would and otherwise read as nothing.
  std::optional<std::string> documentation_text(const Node* node) const {
    if (node == nullptr) return std::nullopt;
    return given_documentation_text(*node);
  }
  std::optional<std::vector<std::string>> documentation_texts(const Node* node) const {
    if (node == nullptr) return std::nullopt;
    return given_documentation_texts(*node);
  }
  std::optional<MetaMap> documentation_meta(const Node* node) const {
    if (node == nullptr) return std::nullopt;
    return given_documentation_meta(*node);
  }

  const Node& expect_mapping(const Node& node) const;
  const Node& expect_sequence(const Node& node) const;
  // Calls `read` on each item of a sequence, in order.
  template <typename Read>
  auto list(const Node& node, Read read) const -> std::vector<decltype(read(node))> {
    const Node& sequence = expect_sequence(node);
    std::vector<decltype(read(node))> out;
    out.reserve(sequence.count);
    for (std::uint32_t index : doc_->children(sequence)) out.push_back(read(doc_->node(index)));
    return out;
  }

  // A mapping of text keys to values read by `read`; a repeated key's last value wins.
  template <typename Read>
  auto map_of(const Node& node, Read read) const -> std::map<std::string, decltype(read(node))> {
    const Node& mapping = expect_mapping(node);
    std::map<std::string, decltype(read(node))> out;
    for (std::size_t i = 0; i < doc_->length(mapping); ++i)
      out[text(doc_->key(mapping, i))] = read(doc_->value(mapping, i));
    return out;
  }

  [[noreturn]] void invalid_type(const Node& node, std::string_view expected) const;
  [[noreturn]] void invalid_value(const Node& node, std::string_view expected) const;
  // How a node is named in type errors: "sequence", "integer `5`", "string \"x\"", ...
  std::string describe(const Node& node) const;

 private:
  std::optional<std::string> given_text(const Node& node) const;
  std::optional<std::string_view> given_text_view(const Node& node) const;
  std::optional<std::string> given_documentation_text(const Node& node) const;
  std::optional<std::vector<std::string>> given_documentation_texts(const Node& node) const;
  std::optional<MetaMap> given_documentation_meta(const Node& node) const;
  void check_texts(const Node& node) const;

  const Document* doc_;
  Scalars scalars_;
  Documentation documentation_;
};

// A second spelling of a record field.
struct FieldAlias {
  std::string_view spelling;
  std::string_view field;
};

[[noreturn]] void throw_missing_field(std::string_view name);
[[noreturn]] void throw_duplicate_field(std::string_view name);

// Sets values[field] to the value of each key that names one of `names` (after `aliases`); the
// values start null. Keys a record does not know are skipped; a field given twice fails with
// "duplicate field". Inline, so that for a record whose names are a constant the look-up table
// and the names fold into the record's reader.
inline void match_fields(const Reader& reader, const Node& node, const FieldNames& names,
                         std::span<const FieldAlias> aliases, std::span<const Node*> values) {
  const Document& doc = reader.doc();
  std::span<const std::uint32_t> children = doc.children(reader.expect_mapping(node));
  for (std::size_t at = 0; at + 1 < children.size(); at += 2) {
    const Node& key = doc.node(children[at]);
    if (key.kind != NodeKind::Scalar) continue;
    std::string_view name = doc.text(key);
    for (const FieldAlias& alias : aliases)
      if (alias.spelling == name) name = alias.field;
    std::size_t field = names.find(name);
    if (field == names.size()) continue;
    if (values[field] != nullptr) throw_duplicate_field(names[field]);
    values[field] = &doc.node(children[at + 1]);
  }
}

// The values of one record mapping by field name. The names are a constant of the record's
// reader, so a field named in a look-up is found while compiling: the look-up reads one slot,
// and a name the record lacks does not build.
template <const FieldNames& Names>
class Fields {
 public:
  // A field of the record, named by a literal.
  class Name {
   public:
    template <std::size_t N>
    consteval Name(const char (&text)[N]) : field_(Names.find(std::string_view(text, N - 1))) {
      if (field_ == Names.size()) throw "the record has no field of this name";
    }
    std::size_t field() const { return field_; }

   private:
    std::size_t field_;
  };

  Fields(const Reader& reader, const Node& node, std::span<const FieldAlias> aliases = {}) {
    match_fields(reader, node, Names, aliases, values_);
  }

  // Null when the field is absent.
  const Node* get(Name name) const { return values_[name.field()]; }
  const Node& required(Name name) const {
    const Node* node = get(name);
    if (node == nullptr) throw_missing_field(Names[name.field()]);
    return *node;
  }

 private:
  std::array<const Node*, Names.size()> values_{};
};

// Whether a mapping has a key of that text (a cheap look before trying a record form). Inline,
// so that the comparison is against a literal of known length.
inline bool has_key(const Document& doc, const Node& mapping, std::string_view key) {
  if (mapping.kind != NodeKind::Mapping) return false;
  for (std::size_t i = 0; i < doc.length(mapping); ++i) {
    const Node& k = doc.key(mapping, i);
    if (k.kind == NodeKind::Scalar && doc.text(k) == key) return true;
  }
  return false;
}

}  // namespace orvane::yaml
