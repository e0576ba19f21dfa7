#include "schema/parser/inheritance.h"

#include <optional>
#include <string>
#include <string_view>

#include "common/failure.h"

namespace orvane {
namespace {

// The name part of "globals.semantics.<kind>.<name>", or nothing for any other shape.
std::optional<std::string_view> inherited_name(std::string_view path, std::string_view kind) {
  std::string_view rest = path;
  for (std::string_view part : {std::string_view("globals"), std::string_view("semantics"), kind}) {
    std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos || rest.substr(0, dot) != part) return std::nullopt;
    rest.remove_prefix(dot + 1);
  }
  if (rest.find('.') != std::string_view::npos) return std::nullopt;
  return rest;
}

// A global definition looked up by path, or the message saying why it could not be.
template <typename T>
struct Resolved {
  std::optional<T> value;
  std::string error;
};

// The name a path of `kind` refers to, once the shape is right and globals exist; otherwise
// nothing, with the reason in `error`.
std::optional<std::string_view> lookup_name(std::string_view path, std::string_view kind,
                                            std::string_view singular,
                                            const GlobalSemantics* globals, std::string& error) {
  std::optional<std::string_view> name = inherited_name(path, kind);
  if (!name) {
    error = "Invalid " + std::string(singular) + " inheritance path: '" + std::string(path) +
            "'. Expected: globals.semantics." + std::string(kind) + ".<name>";
  } else if (globals == nullptr) {
    error = "No globals loaded, but " + std::string(singular) + " '" + std::string(*name) +
            "' references globals";
  }
  return error.empty() ? name : std::nullopt;
}

template <typename Map>
const typename Map::mapped_type* find_global(const Map& map, std::string_view name) {
  auto found = map.find(name);
  return found == map.end() ? nullptr : &found->second;
}

Resolved<Entity> resolve_entity(const std::string& path, const GlobalSemantics* globals) {
  Resolved<Entity> out;
  auto name = lookup_name(path, "entities", "entity", globals, out.error);
  if (!name) return out;
  const GlobalEntity* global = find_global(globals->entities, *name);
  if (global == nullptr) {
    out.error = "Global entity '" + std::string(*name) + "' not found";
    return out;
  }
  if (global->type != "primary" && global->type != "foreign") {
    out.error =
        "Invalid entity type '" + global->type + "' in global entity '" + std::string(*name) + "'";
    return out;
  }
  Entity e;
  e.name = global->name;
  e.type = global->type == "primary" ? EntityType::Primary : EntityType::Foreign;
  e.description = global->description;
  e.key = global->key;
  e.keys = global->keys;
  e.inherits_from = path;
  out.value = std::move(e);
  return out;
}

std::optional<DimensionType> dimension_type_named(std::string_view word) {
  for (DimensionType type : {DimensionType::String, DimensionType::Number, DimensionType::Date,
                             DimensionType::Datetime, DimensionType::Boolean})
    if (spelling(type) == word) return type;
  return std::nullopt;
}

Dimension resolve_dimension(const std::string& path, const GlobalSemantics* globals) {
  std::string error;
  auto name = lookup_name(path, "dimensions", "dimension", globals, error);
  if (!name) throw Failure(error);
  const GlobalDimension* global = find_global(globals->dimensions, *name);
  if (global == nullptr) throw Failure("Global dimension '" + std::string(*name) + "' not found");
  std::optional<DimensionType> type = dimension_type_named(global->type);
  if (!type) throw Failure("Unknown dimension type: '" + global->type + "'");
  Dimension d;
  d.name = std::string(*name);
  d.type = *type;
  d.description = global->description;
  d.expr = global->expr;
  d.samples = global->samples;
  d.synonyms = global->synonyms;
  d.inherits_from = path;
  return d;
}

std::optional<MeasureType> measure_type_named(std::string_view word) {
  if (word == "avg") return MeasureType::Average;
  for (MeasureType type :
       {MeasureType::Count, MeasureType::Sum, MeasureType::Average, MeasureType::Min,
        MeasureType::Max, MeasureType::CountDistinct, MeasureType::Median, MeasureType::Custom})
    if (spelling(type) == word) return type;
  return std::nullopt;
}

Measure resolve_measure(const std::string& path, const GlobalSemantics* globals) {
  std::string error;
  auto name = lookup_name(path, "measures", "measure", globals, error);
  if (!name) throw Failure(error);
  const GlobalMeasure* global = find_global(globals->measures, *name);
  if (global == nullptr) throw Failure("Global measure '" + std::string(*name) + "' not found");
  std::optional<MeasureType> type = measure_type_named(global->type);
  if (!type) throw Failure("Unknown measure type: '" + global->type + "'");
  Measure m;
  m.name = std::string(*name);
  m.type = *type;
  m.description = global->description;
  m.expr = global->expr;
  std::vector<MeasureFilter> filters;
  for (const GlobalMeasureFilter& filter : global->filters)
    filters.push_back(MeasureFilter{filter.expr, std::nullopt, filter.description});
  m.filters = std::move(filters);
  m.samples = global->samples;
  m.synonyms = global->synonyms;
  m.inherits_from = path;
  return m;
}

// An inherit item takes the global entity whole or fails; a full entity with `inherits_from`
// borrows what it lacks when the global entity resolves.
void resolve_entities(std::vector<Entity>& entities, const std::vector<InheritItem>& inherited,
                      const GlobalSemantics* globals) {
  auto next = inherited.begin();
  for (std::size_t i = 0; i < entities.size(); ++i) {
    Entity& entity = entities[i];
    if (next != inherited.end() && next->index == i) {
      Resolved<Entity> resolved = resolve_entity(next->inherits_from, globals);
      if (!resolved.value) throw Failure(resolved.error);
      entity = std::move(*resolved.value);
      ++next;
      continue;
    }
    if (!entity.inherits_from) continue;
    Resolved<Entity> resolved = resolve_entity(*entity.inherits_from, globals);
    if (!resolved.value) continue;
    if (!entity.description) entity.description = std::move(resolved.value->description);
    if (!entity.key && !entity.keys) {
      entity.key = std::move(resolved.value->key);
      entity.keys = std::move(resolved.value->keys);
    }
  }
}

// Replaces each inherit item's placeholder with its global definition, in list order.
template <typename Full, typename Resolve>
void resolve_inherited(std::vector<Full>& items, const std::vector<InheritItem>& inherited,
                       const GlobalSemantics* globals, Resolve resolve) {
  for (const InheritItem& item : inherited)
    items[item.index] = resolve(item.inherits_from, globals);
}

}  // namespace

void resolve_view(View& view, const InheritItems& inherited, const GlobalSemantics* globals) {
  resolve_entities(view.entities, inherited.entities, globals);
  resolve_inherited(view.dimensions, inherited.dimensions, globals, resolve_dimension);
  if (view.measures)
    resolve_inherited(*view.measures, inherited.measures, globals, resolve_measure);
}

}  // namespace orvane
