// Shared definitions that view items may inherit from through `inherits_from`. Each global
// record carries its type as a word; the loader converts it when it copies the record.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

struct GlobalDimension {
  std::string type;
  std::optional<std::string> description;
  std::string expr;
  std::optional<std::vector<std::string>> samples;
  std::optional<std::vector<std::string>> synonyms;
};

struct GlobalMeasureFilter {
  std::string expr;
  std::optional<std::string> description;
};

struct GlobalMeasure {
  std::string type;
  std::optional<std::string> description;
  std::optional<std::string> expr;
  std::vector<GlobalMeasureFilter> filters;
  std::optional<std::vector<std::string>> samples;
  std::optional<std::vector<std::string>> synonyms;
};

struct GlobalEntity {
  std::string name;
  std::string type;
  std::optional<std::string> description;
  std::optional<std::string> key;
  std::optional<std::vector<std::string>> keys;
};

struct GlobalSemantics {
  std::map<std::string, GlobalDimension, std::less<>> dimensions;
  std::map<std::string, GlobalMeasure, std::less<>> measures;
  std::map<std::string, GlobalEntity, std::less<>> entities;
};

}  // namespace orvane
