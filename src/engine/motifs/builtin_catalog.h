// The twelve motifs every query can use without a motif document: their names, descriptions and
// parameters. Their SQL lives with the motif expansions.
#pragma once

#include <string_view>
#include <vector>

#include "schema/models/motif.h"

namespace orvane {

// The builtin motifs in their fixed listing order, yoy first and cumulative last.
const std::vector<Motif>& builtin_motifs();

// True for exactly the twelve builtin names (exact, case-sensitive).
bool is_builtin_motif_name(std::string_view name);

}  // namespace orvane
