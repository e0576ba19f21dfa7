// One SELECT over the base view and its joins, for requests whose measures the joins do not
// repeat.
#pragma once

#include "engine/member_sql/entity_map.h"
#include "engine/mod/compile_result.h"
#include "engine/query/request.h"
#include "engine/sql_generator/generator_context.h"
#include "engine/sql_generator/join_plan.h"
#include "engine/sql_generator/reference_checks.h"

namespace orvane {

// Columns in the order dimensions, time dimensions, measures; filters, segments and date ranges
// as conditions; then grouping, ordering and paging. Throws an EngineError. The paths of the
// request's dimensions and measures move into the output columns.
// `members` are those the request's paths name, as the reference check found them.
CompileResult generate_single_fact(GeneratorContext& context, QueryRequest& request,
                                   const RequestMembers& members, JoinPlan plan,
                                   const EntityMap& entities);

}  // namespace orvane
