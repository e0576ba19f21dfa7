// Measures a view receives from other views along entities: a view pointing at an entity makes
// its measures available on the entity's owner and on the owners of the entity's ancestors.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "schema/models/view.h"

namespace orvane {

struct InducedCandidate {
  std::string view;               // the receiving view
  std::string source;             // the view that declares the measure
  std::string measure;            // its name there
  std::vector<std::string> path;  // entity names through which it reaches the view
};

// (view name, measure name) of an induced measure -> its candidates, in order.
using InducedMeasureIndex =
    std::map<std::pair<std::string, std::string>, std::vector<InducedCandidate>, std::less<>>;

// One reported index key with the (source view, entity path) of each of its candidates.
struct PromotionReportEntry {
  std::string view;
  std::string measure;
  std::vector<std::pair<std::string, std::vector<std::string>>> sources;
};

struct PromotionAnalysis {
  std::map<std::string, std::string, std::less<>> entity_owner;   // entity -> first primary view
  std::map<std::string, std::string, std::less<>> entity_parent;  // entity -> its parent entity
  InducedMeasureIndex index;
  // Keys hidden by a measure the receiving view declares itself; removed from the index.
  std::vector<PromotionReportEntry> shadowed;
  // Keys with candidates from several source views; kept in the index.
  std::vector<PromotionReportEntry> ambiguous;
};

// Analyses the views in layer order. Throws a schema error when the entity parent hierarchy
// has a cycle; validation reports it as one error line, engine construction as its failure.
PromotionAnalysis analyse_promotions(const std::vector<View>& views);

}  // namespace orvane
