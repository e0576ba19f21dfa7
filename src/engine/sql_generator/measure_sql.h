// The SQL that computes one measure in a grouped statement.
#pragma once

#include <string>
#include <string_view>

#include "engine/member_sql/entity_map.h"
#include "engine/sql_generator/generator_context.h"
#include "schema/models/view.h"

namespace orvane {

// The aggregate around the rendered expression (conditional when the measure has filters), a
// window for rolling measures, or the expression itself for custom and number measures.
// `alias` addresses the measure's view. Throws an SQL generation error for a pass-through measure
// without an expression.
std::string measure_sql(GeneratorContext& context, std::string_view alias, const Measure& measure,
                        const EntityMap& entities);
// Appends what measure_sql returns. On an exception `out` may hold part of the text.
void append_measure_sql(GeneratorContext& context, std::string_view alias, const Measure& measure,
                        const EntityMap& entities, std::string& out);

}  // namespace orvane
