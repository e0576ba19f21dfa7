// Qualifies the bare column names of a member expression with the alias of its view.
#pragma once

#include <string>
#include <string_view>

#include "engine/dialect/dialect.h"
#include "schema/models/view.h"

namespace orvane {

// One pass: string literals are copied; quoted identifiers are re-quoted for the dialect and
// qualified unless a full stop touches them; words naming a dimension of `view` are qualified
// unless preceded by a full stop or followed by "(". `view` may be null (nothing is a dimension).
// Appends the result to `out`.
void append_qualified_columns(std::string& out, Dialect dialect, std::string_view quoted_alias,
                              const View* view, std::string_view text);

// Not empty after trimming, and only Unicode alphanumerics and underscores.
bool is_bare_identifier(std::string_view text);

}  // namespace orvane
