// Reading one document text under its label.
#pragma once

#include <string>
#include <string_view>

#include "common/failure.h"
#include "schema/yaml/parse.h"

namespace orvane {

// Parses the text as one YAML document and reads it with `read`; any failure of either becomes
// "Failed to parse {kind} YAML from {label}: {message}".
template <typename Read>
auto read_labelled(std::string_view text, std::string_view kind, std::string_view label, Read read,
                   yaml::ParseScratch& scratch) {
  try {
    yaml::Document doc = yaml::parse_document(text, scratch);
    auto record = read(doc);
    scratch.recycle(std::move(doc));
    return record;
  } catch (const Failure& failure) {
    throw Failure("Failed to parse " + std::string(kind) + " YAML from " + std::string(label) +
                  ": " + std::string(failure.message()));
  }
}

template <typename Read>
auto read_labelled(std::string_view text, std::string_view kind, std::string_view label,
                   Read read) {
  yaml::ParseScratch scratch;
  return read_labelled(text, kind, label, read, scratch);
}

}  // namespace orvane
