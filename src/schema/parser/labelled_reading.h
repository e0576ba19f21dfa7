// Reading one document text under its label.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "common/failure.h"
#include "schema/yaml/parse.h"

namespace orvane {

// Parses the text as one YAML document and reads it with `read`; any failure of either becomes
// "Failed to parse {kind} YAML from <{kind}_{position}>: {message}". The label is made only then.
template <typename Read>
auto read_labelled(std::string_view text, std::string_view kind, std::size_t position, Read read,
                   yaml::ParseScratch& scratch) {
  try {
    yaml::Document doc = yaml::parse_document(text, scratch);
    auto record = read(doc);
    scratch.recycle(std::move(doc));
    return record;
  } catch (const Failure& failure) {
    throw Failure("Failed to parse " + std::string(kind) + " YAML from <" + std::string(kind) +
                  "_" + std::to_string(position) + ">: " + std::string(failure.message()));
  }
}

template <typename Read>
auto read_labelled(std::string_view text, std::string_view kind, std::size_t position, Read read) {
  yaml::ParseScratch scratch;
  return read_labelled(text, kind, position, read, scratch);
}

}  // namespace orvane
