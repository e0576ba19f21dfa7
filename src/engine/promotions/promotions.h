// Measures a view receives from other views along entities: a view pointing at an entity makes
// its measures available on the entity's owner and on the owners of the entity's ancestors.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "schema/models/view.h"

namespace orvane {

// Views into the analysed views' names, which must outlive the candidate.
struct InducedCandidate {
  std::string_view view;                   // the receiving view
  std::string_view source;                 // the view that declares the measure
  std::string_view measure;                // its name there
  std::span<const std::string_view> path;  // entity names through which it reaches the view
};

// (view name, measure name) of an induced measure -> its candidates, in order. Candidates sit in
// one vector sorted by key, stably, so a key's candidates are contiguous and keep their order.
// Move-only: the candidates' paths point into the index's own step list.
class InducedMeasureIndex {
 public:
  InducedMeasureIndex() = default;
  InducedMeasureIndex(std::vector<InducedCandidate> sorted, std::vector<std::string_view> steps);
  InducedMeasureIndex(InducedMeasureIndex&&) = default;
  InducedMeasureIndex& operator=(InducedMeasureIndex&&) = default;
  InducedMeasureIndex(const InducedMeasureIndex&) = delete;
  InducedMeasureIndex& operator=(const InducedMeasureIndex&) = delete;

  bool empty() const { return candidates_.empty(); }
  // The candidates of (view, measure), in order; empty when the key is absent.
  std::span<const InducedCandidate> find(std::string_view view, std::string_view measure) const;

 private:
  std::vector<InducedCandidate> candidates_;
  std::vector<std::string_view> steps_;  // every candidate path, back to back
};

// One reported index key with the (source view, entity path) of each of its candidates.
struct PromotionReportEntry {
  std::string view;
  std::string measure;
  std::vector<std::pair<std::string, std::vector<std::string>>> sources;
};

struct PromotionAnalysis {
  InducedMeasureIndex index;
  // Keys hidden by a measure the receiving view declares itself; removed from the index.
  std::vector<PromotionReportEntry> shadowed;
  // Keys with candidates from several source views; kept in the index.
  std::vector<PromotionReportEntry> ambiguous;
};

// Analyses the views in layer order. Throws a schema error when the entity parent hierarchy
// has a cycle; validation reports it as one error line, engine construction as its failure.
// The result holds views into the views' names: they must outlive it and stay where they are.
PromotionAnalysis analyse_promotions(const std::vector<View>& views);

}  // namespace orvane
