// What a statement reads a view from.
#pragma once

#include <string>

#include "engine/dialect/dialect.h"
#include "schema/models/view.h"

namespace orvane {

// The view's table (parts that are not plain identifiers quoted, text holding a quote character
// kept as written), else its SQL in parentheses on lines of their own, else its name.
std::string from_source(Dialect dialect, const View& view);
// Appends what from_source returns, without a string of its own.
void append_from_source(std::string& out, Dialect dialect, const View& view);

}  // namespace orvane
