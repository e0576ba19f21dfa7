// Resolving the `inherits_from` items of a view against optional global definitions.
#pragma once

#include "schema/models/view.h"
#include "schema/parser/global_semantics.h"
#include "schema/parser/raw_view.h"

namespace orvane {

// Turns the read document into the final View in place: entities, then dimensions, then
// measures, each list in order. A failing inherit item fails the view with its message (no label).
// A full entity with `inherits_from` borrows its description and keys from the global entity when
// one resolves, and is kept as written when none does.
void resolve_view(View& view, const InheritItems& inherited, const GlobalSemantics* globals);

}  // namespace orvane
