// Runs the promotion analysis over the views: its failure is one error line, its findings are
// warnings.
#include "common/failure.h"
#include "engine/promotions/promotions.h"
#include "schema/validation/checks.h"
#include "schema/validation/debug_form.h"
#include "schema/validation/warnings.h"

namespace orvane {
namespace {

// "orders[customer→region], returns[customer]"
std::string describe_sources(const PromotionReportEntry& entry) {
  std::string text;
  for (std::size_t i = 0; i < entry.sources.size(); ++i) {
    const auto& [source, path] = entry.sources[i];
    if (i > 0) text += ", ";
    text += source + "[";
    for (std::size_t step = 0; step < path.size(); ++step) {
      if (step > 0) text += "\u2192";
      text += path[step];
    }
    text += "]";
  }
  return text;
}

void warn_shadowed(const PromotionReportEntry& entry) {
  write_warning("Warning: [" + entry.view + "] explicit measure '" + entry.measure +
                "' shadows promoted measure(s) from " + describe_sources(entry) +
                " \u2014 the induced measure is not exposed.\n");
}

void warn_ambiguous(const PromotionReportEntry& entry) {
  write_warning("\nWarning: [" + entry.view + "] measure '" + entry.measure +
                "' is induced from multiple source views (" + describe_sources(entry) +
                "). Queries must use `through` to disambiguate.\n");
}

}  // namespace

void check_promotions(const std::vector<View>& views, ErrorLines& errors,
                      InducedMeasureIndex* induced) {
  try {
    auto analysis = analyse_promotions(views);
    for (const auto& entry : analysis.shadowed) warn_shadowed(entry);
    for (const auto& entry : analysis.ambiguous) warn_ambiguous(entry);
    if (induced != nullptr) *induced = std::move(analysis.index);
  } catch (const EngineError& error) {
    errors.push_back(debug_form(error));
  }
}

}  // namespace orvane
