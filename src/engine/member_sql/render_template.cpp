#include "engine/member_sql/render_template.h"

#include "common/failure.h"
#include "engine/evaluator/member_path.h"
#include "engine/member_sql/column_qualifier.h"
#include "engine/member_sql/template_scan.h"
#include "engine/sql_generator/measure_sql.h"

namespace orvane {
namespace {

constexpr std::uint32_t kDeepestRendering = 63;
// Shared references can double the work at every level; past this many renderings in one call
// the schema is expanding without bound.
constexpr std::uint64_t kRenderingBudget = 100000;

// Restores the depth counter on every exit.
class DepthGuard {
 public:
  explicit DepthGuard(GeneratorContext& context) : context_(context), saved_(context.depth) {
    ++context_.depth;
  }
  ~DepthGuard() { context_.depth = saved_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  GeneratorContext& context_;
  std::uint32_t saved_;
};

void count_rendering(GeneratorContext& context) {
  if (++context.renderings > kRenderingBudget)
    throw sql_generation_error(
        "member expressions expand without bound: more than 100000 template renderings for one "
        "query. Check for members that refer to each other several times over.");
}

bool budget_exhausted(const GeneratorContext& context) {
  return context.renderings > kRenderingBudget;
}

// Appends `text` to `out` with each match of `matcher`, left to right, replaced by what `replace`
// appends, and returns true; returns false, with `out` untouched, when nothing matches.
template <typename Replace>
bool replace_references(std::string_view text, ReferenceMatcher matcher, Replace replace,
                        std::string& out) {
  bool found = false;
  std::size_t copied = 0;
  while (auto match = find_reference(text, copied, matcher)) {
    if (!found) out.reserve(out.size() + text.size() + 32);
    found = true;
    out.append(text.substr(copied, match->begin - copied));
    replace(out, *match, text.substr(match->begin, match->end - match->begin));
    copied = match->end;
  }
  if (found) out.append(text.substr(copied));
  return found;
}

void append_compact_reference(std::string& out, std::string_view first, std::string_view second) {
  out.append("{{").append(first).append(".").append(second).append("}}");
}

// {{ name }} becomes {{alias.name}} when alias.name is a dimension or measure. Writes the result
// to `out` and returns true, or returns false with `out` untouched when no reference changes.
bool expand_bare_references(const GeneratorContext& context, std::string_view alias,
                            std::string_view text, std::string& out) {
  bool changed = false;
  std::size_t copied = 0;
  for (std::size_t from = 0; auto match = find_reference(text, from, match_bare_reference);) {
    from = match->end;
    const MemberKind* kind = context.engine.member_index.kind_of(alias, match->first);
    if (!kind || *kind == MemberKind::Segment) continue;
    if (!changed) out.reserve(text.size() + 32);
    changed = true;
    out.append(text.substr(copied, match->begin - copied));
    append_compact_reference(out, alias, match->first);
    copied = match->end;
  }
  if (changed) out.append(text.substr(copied));
  return changed;
}

bool replace_table_references(std::string_view quoted_alias, std::string_view text,
                              std::string& out) {
  return replace_references(
      text, match_table_reference,
      [&](std::string& out, const ReferenceMatch&, std::string_view) { out.append(quoted_alias); },
      out);
}

// Appends the SQL a {{ first.second }} reference stands for.
void append_dotted_replacement(GeneratorContext& context, std::string_view alias,
                               const EntityMap& entities, const ReferenceMatch& match,
                               std::string& out) {
  std::string_view first = match.first, second = match.second;
  if (first == "variables") {
    append_compact_reference(out, first, second);
    return;
  }
  const View* view = context.engine.find_view(first);
  std::string_view render_alias = view ? first : alias;
  // Both parts are runs of word characters, so the view found is the one kind_of would ask.
  const MemberKind* kind = view ? context.engine.member_index.kind_in(*view, second) : nullptr;
  if (view && kind && *kind == MemberKind::Measure) {
    if (const Measure* measure = find_measure(*view, second)) {
      const std::size_t mark = out.size();
      try {
        out.append("(");
        append_measure_sql(context, render_alias, *measure, entities, out);
        out.append(")");
        return;
      } catch (const EngineError&) {
        if (budget_exhausted(context)) throw;
        out.resize(mark);
      }
    }
  }
  if (view && kind && *kind == MemberKind::Dimension) {
    if (const Dimension* dimension = find_dimension(*view, second)) {
      out.append("(");
      append_rendered(context, render_alias, dimension->expr, entities, out);
      out.append(")");
      return;
    }
  }
  if (auto owner = entities.find(first); owner != entities.end()) {
    append_quoted_identifier(out, context.dialect, owner->second);
    out.append(".");
    append_quoted_identifier(out, context.dialect, second);
    return;
  }
  append_compact_reference(out, first, second);
}

bool resolve_dotted_references(GeneratorContext& context, std::string_view alias,
                               const EntityMap& entities, std::string_view text, std::string& out) {
  return replace_references(
      text, match_dotted_reference,
      [&](std::string& out, const ReferenceMatch& match, std::string_view) {
        append_dotted_replacement(context, alias, entities, match, out);
      },
      out);
}

void append_qualified_name(std::string& out, Dialect dialect, std::string_view quoted_alias,
                           std::string_view name) {
  out.append(quoted_alias).append(".");
  append_quoted_identifier(out, dialect, name);
}

// An expression without references: a bare column name is qualified with the alias, anything
// else has its dimension names qualified.
void append_plain(const GeneratorContext& context, std::string_view alias,
                  std::string_view expression, std::string& out) {
  if (is_bare_identifier(expression)) {
    append_quoted_identifier(out, context.dialect, alias);
    out.append(".");
    append_quoted_identifier(out, context.dialect, expression);
    return;
  }
  const std::string quoted_alias = quote_identifier(context.dialect, alias);
  append_qualified_columns(out, context.dialect, quoted_alias, context.engine.find_view(alias),
                           expression);
}

}  // namespace

void append_rendered(GeneratorContext& context, std::string_view alias, std::string_view expression,
                     const EntityMap& entities, std::string& out) {
  if (context.depth > kDeepestRendering) {
    out.append(expression);
    return;
  }
  count_rendering(context);
  DepthGuard guard(context);

  if (expression.find("{{") == std::string_view::npos) {
    append_plain(context, alias, expression, out);
    return;
  }

  const std::string quoted_alias = quote_identifier(context.dialect, alias);
  // Each pass reads the text the previous one left; `text` views the expression until a pass
  // changes it.
  std::string storage;
  std::string_view text = expression;
  auto keep = [&](std::string next) {
    storage = std::move(next);
    text = storage;
  };
  if (std::string expanded; expand_bare_references(context, alias, text, expanded))
    keep(std::move(expanded));
  bool had_table = false;
  if (std::string replaced; replace_table_references(quoted_alias, text, replaced)) {
    had_table = true;
    keep(std::move(replaced));
  }
  // Table replacement leaves every dotted reference in place (the forms cannot overlap), so
  // resolving after it finds whatever the text held before it. The resolved text is written
  // straight to `out`, and taken back only when it is a bare name to qualify.
  const std::size_t start = out.size();
  if (resolve_dotted_references(context, alias, entities, text, out)) {
    if (is_bare_identifier(std::string_view(out).substr(start))) {
      const std::string name = out.substr(start);
      out.resize(start);
      append_qualified_name(out, context.dialect, quoted_alias, name);
    }
    return;
  }

  if (is_bare_identifier(text))
    append_qualified_name(out, context.dialect, quoted_alias, text);
  else if (!had_table && !has_variables_reference(text))
    append_qualified_columns(out, context.dialect, quoted_alias, context.engine.find_view(alias),
                             text);
  else if (out.empty() && text.data() == storage.data())
    out = std::move(storage);  // an empty output takes the rewritten text as it is
  else
    out.append(text);
}

std::string render_template(GeneratorContext& context, std::string_view alias,
                            std::string_view expression, const EntityMap& entities) {
  std::string out;
  append_rendered(context, alias, expression, entities, out);
  return out;
}

std::string render_dimension_for_condition(GeneratorContext& context, std::string_view alias,
                                           std::string_view expression, const EntityMap& entities) {
  const bool parenthesised = !is_bare_identifier(expression);
  std::string out;
  if (parenthesised) out.append("(");
  append_rendered(context, alias, expression, entities, out);
  if (parenthesised) out.append(")");
  return out;
}

std::string key_expression(GeneratorContext& context, std::string_view view, std::string_view key,
                           std::string_view alias) {
  const Dimension* dimension = find_dimension(context.engine, view, key);
  return render_template(context, alias, dimension ? std::string_view(dimension->expr) : key,
                         no_entities());
}

}  // namespace orvane
