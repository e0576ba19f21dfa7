// Turns a member expression into SQL for one place in a statement: `{{ TABLE }}`, member and
// entity references resolved, bare column names qualified with the view's alias.
#pragma once

#include <string>
#include <string_view>

#include "engine/member_sql/entity_map.h"
#include "engine/sql_generator/generator_context.h"

namespace orvane {

// `alias` addresses the view's columns and names the view whose members bare references and
// qualification look up. Never fails on unresolved references: they stay in compact form for the
// final check. Beyond 64 nested renderings the expression comes back unchanged.
std::string render_template(GeneratorContext& context, std::string_view alias,
                            std::string_view expression, const EntityMap& entities);

// As render_template, appending to `out`. On an exception `out` may hold part of the rendering.
void append_rendered(GeneratorContext& context, std::string_view alias, std::string_view expression,
                     const EntityMap& entities, std::string& out);

// As render_template, parenthesised unless the expression is a bare identifier.
std::string render_dimension_for_condition(GeneratorContext& context, std::string_view alias,
                                           std::string_view expression, const EntityMap& entities);

// The expression of the view's dimension named `key`, else `key` itself, rendered with `alias`
// and no entities: one side of a join or correlation condition.
std::string key_expression(GeneratorContext& context, std::string_view view, std::string_view key,
                           std::string_view alias);

}  // namespace orvane
