// One YAML document read into our own node tree. Aliases are resolved by sharing: an alias is the
// index of its anchored node, so repeated content costs no memory (and its expanded size is
// bounded when the tree is built).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::yaml {

enum class NodeKind : std::uint8_t { Scalar, Sequence, Mapping };

// A position in the text, both counted from 1.
struct Mark {
  std::uint32_t line = 1;
  std::uint32_t column = 1;
};

// 32 bytes, so that a document's nodes stay dense in the cache. The bounds of limits.h keep
// `height` below 2^16 and the expanded `size` below 2^32.
struct Node {
  NodeKind kind = NodeKind::Scalar;
  bool plain = false;        // a scalar written without quotes or block indicator
  std::uint16_t height = 0;  // levels of collections below and including this node
  Mark mark;
  std::uint32_t size = 0;  // expanded size: nodes plus scalar bytes, aliases expanded
  // Scalars: the text in the document's pool. Collections: children in the child list; a
  // mapping's children alternate key, value.
  std::uint32_t first = 0;
  std::uint32_t count = 0;
  std::uint32_t tag_first = 0;
  std::uint32_t tag_size = 0;
};

class Document {
 public:
  const Node& root() const { return nodes_[root_]; }
  const Node& node(std::uint32_t index) const { return nodes_[index]; }
  // The builder keeps every scalar's and tag's range inside the pool.
  std::string_view text(const Node& scalar) const {
    return std::string_view(pool_.data() + scalar.first, scalar.count);
  }
  std::string_view tag(const Node& node) const {
    return std::string_view(pool_.data() + node.tag_first, node.tag_size);
  }
  std::span<const std::uint32_t> children(const Node& collection) const {
    return std::span<const std::uint32_t>(children_).subspan(collection.first, collection.count);
  }
  // Number of entries of a mapping, or items of a sequence.
  std::size_t length(const Node& collection) const {
    return collection.kind == NodeKind::Mapping ? collection.count / 2 : collection.count;
  }
  const Node& key(const Node& mapping, std::size_t entry) const {
    return nodes_[children_[mapping.first + 2 * entry]];
  }
  const Node& value(const Node& mapping, std::size_t entry) const {
    return nodes_[children_[mapping.first + 2 * entry + 1]];
  }
  const Node& item(const Node& sequence, std::size_t index) const {
    return nodes_[children_[sequence.first + index]];
  }

 private:
  friend class DocumentBuilder;
  // Empties the document and keeps its storage for the next one.
  void clear() {
    nodes_.clear();
    children_.clear();
    pool_.clear();
    root_ = 0;
  }

  std::vector<Node> nodes_;
  std::vector<std::uint32_t> children_;
  std::vector<char> pool_;  // texts of scalars and tags, not NUL-terminated
  std::uint32_t root_ = 0;
};

}  // namespace orvane::yaml
