// Reading a YAML text into a Document with libyaml.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "schema/yaml/document.h"

namespace orvane::yaml {

// Reads a text that must hold exactly one YAML document. Malformed YAML, a second document, an
// empty stream and anything beyond the bounds of limits.h throw Failure; the reader's own
// messages end in " at line {} column {}" where a position is known.
Document parse_document(std::string_view text);

// Storage that one call reuses across the documents it reads one after another: a document
// takes the buffers over and gives them back once it has been read, so they are allocated once
// per call and stay warm in the cache.
class ParseScratch {
 public:
  void recycle(Document&& doc) { spare_ = std::move(doc); }

 private:
  friend class DocumentBuilder;
  Document spare_;
  std::vector<std::uint32_t> pending_;
};

// As parse_document(text), building in the scratch's storage.
Document parse_document(std::string_view text, ParseScratch& scratch);

}  // namespace orvane::yaml
