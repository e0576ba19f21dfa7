// Dimensions marked `sub_query`: a measure of another view, computed per row by a correlated
// subquery.
#pragma once

#include <string>
#include <string_view>

#include "engine/sql_generator/generator_context.h"
#include "schema/models/view.h"

namespace orvane {

// "(SELECT measure FROM source AS view WHERE correlation)" for a dimension of `view`, addressed
// as `alias`, whose expression names the measure ("view.measure", braces optional). Throws a
// query error for a missing measure and a join error when the views are not related.
std::string subquery_dimension_sql(GeneratorContext& context, const Dimension& dimension,
                                   std::string_view view, std::string_view alias);

}  // namespace orvane
