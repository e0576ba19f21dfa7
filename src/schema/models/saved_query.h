// The records of a saved-query document.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/value.h"
#include "engine/query/request.h"
#include "schema/models/view.h"

namespace orvane {

struct SavedQueryParam {
  std::string type;  // free text
  std::optional<std::vector<std::string>> values;
  std::optional<Value> default_value;  // the document's `default`
  std::optional<std::string> description;
};

struct SavedQueryStep {
  std::string name;
  QueryRequest query;
  std::optional<std::string> description;
};

struct SavedQuery {
  std::string name;
  std::optional<std::string> description;
  std::map<std::string, SavedQueryParam> params;  // order not fixed; last definition wins
  std::vector<SavedQueryStep> steps;
  std::optional<MetaMap> meta;
  // The request read from the document's remaining keys; absent when they do not form one.
  std::optional<QueryRequest> inline_query;
};

// The steps a saved query stands for: its `steps`, else one implicit step built from an inline
// query that has measures or dimensions, else none.
std::vector<SavedQueryStep> effective_steps(const SavedQuery& query);

}  // namespace orvane
