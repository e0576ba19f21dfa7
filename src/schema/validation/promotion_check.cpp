// Runs the promotion analysis over the views: its failure is one error line, its findings are
// warnings.
#include "common/failure.h"
#include "engine/join_graph/join_graph.h"
#include "engine/promotions/promotions.h"
#include "schema/validation/checks.h"
#include "schema/validation/debug_form.h"

namespace orvane {

void check_promotions(const SemanticLayer& layer, ErrorLines& errors) {
  try {
    analyse_promotions(layer, JoinGraph::build(layer));
  } catch (const EngineError& error) {
    errors.push_back(debug_form(error));
  }
}

}  // namespace orvane
