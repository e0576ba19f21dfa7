#include "schema/yaml/parse.h"

#include <yaml.h>

#include <algorithm>
#include <array>
#include <new>
#include <string>
#include <unordered_map>

#include "common/failure.h"
#include "schema/yaml/limits.h"
#include "schema/yaml/position.h"

namespace orvane::yaml {
namespace {

constexpr std::string_view kMultipleDocuments =
    "deserializing from YAML containing more than one document is not supported";

Mark mark_of(const yaml_mark_t& mark) {
  return Mark{static_cast<std::uint32_t>(mark.line + 1),
              static_cast<std::uint32_t>(mark.column + 1)};
}

// Line and column of a byte offset, for reader errors that carry only an offset. Columns count
// characters, as libyaml's own marks do.
Mark mark_at_offset(std::string_view text, std::size_t offset) {
  Mark mark;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++mark.line;
      mark.column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++mark.column;
    }
  }
  return mark;
}

std::string_view view_of(const yaml_char_t* text) {
  return text == nullptr ? std::string_view()
                         : std::string_view(reinterpret_cast<const char*>(text));
}

// A node's expanded size counts nodes and bytes of text plus what aliases add. Even at ten nodes
// per byte (real documents hold well under two), a document of the largest size stays within the
// node's 32-bit field.
static_assert(11 * std::uint64_t{kMaxDocumentBytes} + kMaxAliasExpansion <
              (std::uint64_t{1} << 32));
static_assert(kMaxDepth + 1 < (1u << 16));

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {
    if (!yaml_parser_initialize(&parser_)) throw std::bad_alloc();
    yaml_parser_set_encoding(&parser_, YAML_UTF8_ENCODING);
    yaml_parser_set_input_string(&parser_, reinterpret_cast<const unsigned char*>(text.data()),
                                 text.size());
  }
  ~Parser() { yaml_parser_delete(&parser_); }
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  // The next event; the caller owns it through Event.
  void next(yaml_event_t& event) {
    if (!yaml_parser_parse(&parser_, &event)) fail();
  }

 private:
  [[noreturn]] void fail() const {
    if (parser_.error == YAML_MEMORY_ERROR) throw std::bad_alloc();
    std::string message = parser_.problem != nullptr ? parser_.problem : "malformed YAML";
    if (parser_.context != nullptr) message = std::string(parser_.context) + ", " + message;
    Mark mark = parser_.error == YAML_READER_ERROR ? mark_at_offset(text_, parser_.problem_offset)
                                                   : mark_of(parser_.problem_mark);
    throw Failure(message + at(mark));
  }

  std::string_view text_;
  yaml_parser_t parser_{};
};

// Owns the last event read. libyaml clears an event both when it parses into it and when it
// deletes it, so the event can be reused without clearing it again.
class Event {
 public:
  Event() = default;
  ~Event() { yaml_event_delete(&event_); }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  yaml_event_t& get() { return event_; }
  void reset() { yaml_event_delete(&event_); }

 private:
  yaml_event_t event_{};
};

}  // namespace

// Builds the node tree from the event stream in one pass. Children of open collections wait on
// one shared stack and move into the document's child list when their collection closes; each
// open collection sums its children's expanded size and height as they arrive.
class DocumentBuilder {
  static constexpr std::size_t kReserveNodesAtMost = 1 << 20;

 public:
  DocumentBuilder(std::string_view text, ParseScratch& scratch)
      : doc_(std::move(scratch.spare_)), pending_(scratch.pending_) {
    doc_.clear();
    pending_.clear();
    // Typical documents hold a node per eight to twelve bytes; the cap keeps a huge text from
    // reserving far ahead of what it turns out to hold.
    std::size_t nodes = std::min<std::size_t>(text.size() / 8 + 4, kReserveNodesAtMost);
    doc_.pool_.reserve(text.size());
    doc_.nodes_.reserve(nodes);
    doc_.children_.reserve(nodes);
    pending_.reserve(64);
  }

  void open(NodeKind kind, const yaml_mark_t& start, const yaml_char_t* tag,
            const yaml_char_t* anchor) {
    Mark mark = mark_of(start);
    if (depth_ + 1 > kMaxDepth) throw too_deep(mark);
    std::uint32_t index = add_node(kind, mark, tag);
    bool anchored = anchor != nullptr && *anchor != 0;
    if (anchored) open_anchors_.emplace_back(view_of(anchor));
    frames_[depth_++] = Frame{index, static_cast<std::uint32_t>(pending_.size()), 1, 0, anchored};
  }

  void close() {
    Frame frame = frames_[--depth_];
    const std::uint32_t* first = pending_.data() + frame.children;
    const std::uint32_t* last = pending_.data() + pending_.size();
    Node& node = doc_.nodes_[frame.node];
    node.first = static_cast<std::uint32_t>(doc_.children_.size());
    node.count = static_cast<std::uint32_t>(last - first);
    node.size = frame.size;
    node.height = static_cast<std::uint16_t>(frame.height + 1);
    doc_.children_.insert(doc_.children_.end(), first, last);
    pending_.erase(pending_.begin() + frame.children, pending_.end());
    if (frame.anchored) {
      remember_anchor(std::move(open_anchors_.back()), frame.node);
      open_anchors_.pop_back();
    }
    place(frame.node);
  }

  void scalar(const yaml_event_t& event) {
    const auto& data = event.data.scalar;
    Mark mark = mark_of(event.start_mark);
    if (data.length > kMaxScalarBytes) throw too_long(data.length, mark);
    std::uint32_t index = add_node(NodeKind::Scalar, mark, data.tag);
    Node& node = doc_.nodes_[index];
    node.plain = data.style == YAML_PLAIN_SCALAR_STYLE;
    node.first = static_cast<std::uint32_t>(doc_.pool_.size());
    node.count = static_cast<std::uint32_t>(data.length);
    node.size = static_cast<std::uint32_t>(1 + data.length);
    const char* value = reinterpret_cast<const char*>(data.value);
    doc_.pool_.insert(doc_.pool_.end(), value, value + data.length);
    if (data.anchor != nullptr && *data.anchor != 0)
      remember_anchor(std::string(view_of(data.anchor)), index);
    place(index);
  }

  void alias(const yaml_event_t& event) {
    Mark mark = mark_of(event.start_mark);
    std::string name(view_of(event.data.alias.anchor));
    auto found = anchors_.find(name);
    if (found == anchors_.end()) throw Failure("unknown anchor `" + name + "`" + at(mark));
    const Node& target = doc_.nodes_[found->second];
    if (depth_ + target.height > kMaxDepth) throw too_deep(mark);
    alias_expansion_ += target.size;
    if (alias_expansion_ > kMaxAliasExpansion)
      throw Failure("aliases expand the document beyond the limit of " +
                    std::to_string(kMaxAliasExpansion) + " units" + at(mark));
    place(found->second);
  }

  bool has_root() const { return has_root_; }
  Document finish() && { return std::move(doc_); }

 private:
  struct Frame {
    std::uint32_t node;
    std::uint32_t children;  // where this collection's children begin in `pending_`
    std::uint32_t size;      // expanded size of the collection and the children so far
    std::uint32_t height;    // greatest height among the children so far
    bool anchored;           // whether the collection's anchor waits in `open_anchors_`
  };

  static Failure too_long(std::size_t length, Mark mark) {
    return Failure("scalar of " + std::to_string(length) + " bytes exceeds the limit of " +
                   std::to_string(kMaxScalarBytes) + " bytes" + at(mark));
  }

  static Failure too_deep(Mark mark) {
    return Failure("nesting deeper than " + std::to_string(kMaxDepth) + " levels" + at(mark));
  }

  std::uint32_t add_node(NodeKind kind, Mark mark, const yaml_char_t* tag) {
    Node& node = doc_.nodes_.emplace_back();
    node.kind = kind;
    node.mark = mark;
    if (tag != nullptr) {
      std::string_view text(reinterpret_cast<const char*>(tag));
      node.tag_first = static_cast<std::uint32_t>(doc_.pool_.size());
      node.tag_size = static_cast<std::uint32_t>(text.size());
      doc_.pool_.insert(doc_.pool_.end(), text.begin(), text.end());
    }
    return static_cast<std::uint32_t>(doc_.nodes_.size() - 1);
  }

  // Anchors become visible once their node is complete (the callers remember them after
  // building it), so an alias can never point into its own unfinished anchor and form a cycle.
  void remember_anchor(std::string anchor, std::uint32_t index) {
    anchors_[std::move(anchor)] = index;
  }

  void place(std::uint32_t index) {
    if (depth_ == 0) {
      doc_.root_ = index;
      has_root_ = true;
      return;
    }
    const Node& child = doc_.nodes_[index];
    Frame& parent = frames_[depth_ - 1];
    parent.size += child.size;
    if (child.height > parent.height) parent.height = child.height;
    pending_.push_back(index);
  }

  Document doc_;
  std::vector<std::uint32_t>& pending_;
  // The open collections, innermost last; open() keeps their number within kMaxDepth, so they
  // live in the builder without an allocation per document.
  std::array<Frame, kMaxDepth> frames_;
  std::size_t depth_ = 0;
  std::vector<std::string> open_anchors_;
  std::unordered_map<std::string, std::uint32_t> anchors_;
  std::uint64_t alias_expansion_ = 0;
  bool has_root_ = false;
};

Document parse_document(std::string_view text) {
  ParseScratch scratch;
  return parse_document(text, scratch);
}

Document parse_document(std::string_view text, ParseScratch& scratch) {
  if (text.size() > kMaxDocumentBytes)
    throw Failure("document of " + std::to_string(text.size()) + " bytes exceeds the limit of " +
                  std::to_string(kMaxDocumentBytes) + " bytes");
  Parser parser(text);
  DocumentBuilder builder(text, scratch);
  Event event;
  bool seen_document = false;
  for (;;) {
    event.reset();
    yaml_event_t& e = event.get();
    parser.next(e);
    switch (e.type) {
      case YAML_DOCUMENT_START_EVENT:
        if (seen_document) throw Failure(std::string(kMultipleDocuments));
        seen_document = true;
        break;
      case YAML_MAPPING_START_EVENT:
        builder.open(NodeKind::Mapping, e.start_mark, e.data.mapping_start.tag,
                     e.data.mapping_start.anchor);
        break;
      case YAML_SEQUENCE_START_EVENT:
        builder.open(NodeKind::Sequence, e.start_mark, e.data.sequence_start.tag,
                     e.data.sequence_start.anchor);
        break;
      case YAML_MAPPING_END_EVENT:
      case YAML_SEQUENCE_END_EVENT:
        builder.close();
        break;
      case YAML_SCALAR_EVENT:
        builder.scalar(e);
        break;
      case YAML_ALIAS_EVENT:
        builder.alias(e);
        break;
      case YAML_STREAM_END_EVENT:
        if (!builder.has_root()) throw Failure("EOF while parsing a value");
        return std::move(builder).finish();
      default:
        break;
    }
  }
}

}  // namespace orvane::yaml
