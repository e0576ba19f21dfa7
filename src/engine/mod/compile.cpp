#include "engine/mod/compile.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <optional>
#include <span>

#include "common/failure.h"
#include "common/list_notation.h"
#include "common/value.h"
#include "engine/member_sql/references.h"
#include "engine/mod/engine.h"
#include "engine/query/query_parser.h"
#include "engine/sql_generator/generator.h"

namespace orvane {
namespace {

constexpr std::uint64_t kDefaultLimit = 10000;
constexpr std::uint64_t kLargestLimit = std::numeric_limits<std::int64_t>::max();

// Rewritten measure path -> the requested paths rewritten to it, in request order.
using AliasRestoreMap = std::map<std::string, std::deque<std::string>, std::less<>>;

Dialect resolve_dialect(std::string_view name) {
  auto dialect = parse_dialect_name(name);
  if (!dialect) throw Failure("Unknown dialect: " + std::string(name));
  return *dialect;
}

QueryRequest parse_request(std::string_view query_json) {
  try {
    return parse_query_json(query_json);
  } catch (const EngineError&) {
    throw;
  } catch (const Failure& failure) {
    throw Failure("Invalid query JSON: " + std::string(failure.message()));
  }
}

std::vector<std::string> sources_of(const std::vector<const InducedCandidate*>& candidates) {
  std::vector<std::string> sources;
  for (const auto* candidate : candidates) sources.emplace_back(candidate->source);
  return sources;
}

bool contains(const std::vector<std::string>& list, std::string_view item) {
  for (const auto& entry : list)
    if (entry == item) return true;
  return false;
}

bool any_contained(std::span<const std::string_view> haystack,
                   const std::vector<std::string>& hints) {
  for (const auto& hint : hints)
    if (std::find(haystack.begin(), haystack.end(), hint) != haystack.end()) return true;
  return false;
}

// The candidate an induced measure path resolves to, or null to keep the path as requested.
const InducedCandidate* choose_induced_candidate(const Engine& engine, const QueryRequest& request,
                                                 const std::string& path) {
  if (engine.member_index.is_measure(path)) return nullptr;
  std::size_t dot = path.find('.');
  if (dot == std::string::npos || path.find('.', dot + 1) != std::string::npos) return nullptr;
  const std::string_view view(path.data(), dot);
  const auto candidates =
      engine.induced_measures.find(view, std::string_view(path).substr(dot + 1));
  if (candidates.empty()) return nullptr;
  if (candidates.size() == 1) return &candidates.front();

  std::vector<const InducedCandidate*> remaining;
  for (const auto& candidate : candidates)
    if (contains(request.through, candidate.source)) remaining.push_back(&candidate);
  if (remaining.empty())
    for (const auto& candidate : candidates)
      if (any_contained(candidate.path, request.through)) remaining.push_back(&candidate);
  if (remaining.size() == 1) return remaining.front();

  if (remaining.empty()) {
    std::vector<const InducedCandidate*> all;
    for (const auto& candidate : candidates) all.push_back(&candidate);
    throw query_error("Induced measure '" + path + "' is ambiguous: reachable from " +
                      list_notation(sources_of(all)) +
                      ". Disambiguate by qualifying the measure with its source view (e.g. '" +
                      std::string(candidates.front().source) + "." +
                      std::string(candidates.front().measure) +
                      "') or by setting `through:` to a source view name or an entity in the "
                      "desired path.");
  }
  throw query_error("Induced measure '" + path + "' is still ambiguous after applying `through: " +
                    list_notation(request.through) + "`: " + list_notation(sources_of(remaining)) +
                    " all match. Tighten the hint or qualify the measure with a source view.");
}

// Rewrites induced measure paths to their sources; returns the rewritten list, or nothing when
// no path changed.
std::optional<std::vector<std::string>> resolve_induced_measures(const Engine& engine,
                                                                 const QueryRequest& request,
                                                                 AliasRestoreMap& restore) {
  if (engine.induced_measures.empty()) return std::nullopt;
  std::vector<std::string> measures;
  measures.reserve(request.measures.size());
  bool rewritten = false;
  for (const auto& path : request.measures) {
    const InducedCandidate* chosen = choose_induced_candidate(engine, request, path);
    if (!chosen) {
      measures.push_back(path);
      continue;
    }
    std::string source_path;
    source_path.reserve(chosen->source.size() + 1 + chosen->measure.size());
    source_path.append(chosen->source).append(".").append(chosen->measure);
    restore[source_path].push_back(path);
    measures.push_back(std::move(source_path));
    rewritten = true;
  }
  if (!rewritten) return std::nullopt;
  return measures;
}

void reject_unresolved_references(const std::string& sql) {
  if (auto reference = first_unresolved_reference(sql)) {
    throw sql_generation_error(
        "unresolved reference `{{ " + *reference +
        " }}` left in compiled SQL: a measure or dimension `expr` used a reference orvane could "
        "not resolve. Reference raw columns directly, or use `{{ entity.field }}` with unquoted "
        "identifiers (`{{ variables.X }}` is the only placeholder preserved in output SQL).");
  }
}

void restore_induced_names(std::vector<OutputColumn>& columns, AliasRestoreMap& restore) {
  if (restore.empty()) return;
  for (auto& column : columns) {
    auto found = restore.find(column.member);
    if (found == restore.end() || found->second.empty()) continue;
    column.member = std::move(found->second.front());
    found->second.pop_front();
  }
}

}  // namespace

CompileResult compile_query(const DocumentTexts& documents, std::string_view query_json,
                            std::string_view dialect_name) {
  SemanticLayer layer = load_documents(documents, yaml::Documentation::CheckOnly);
  Dialect dialect = resolve_dialect(dialect_name);
  const Engine engine(std::move(layer), dialect);
  QueryRequest parsed = parse_request(query_json);

  AliasRestoreMap restore;
  auto measures = resolve_induced_measures(engine, parsed, restore);
  const bool had_limit = parsed.limit.has_value();
  // The parsed request is ours alone, so rewriting it in place costs no copy.
  if (measures) parsed.measures = std::move(*measures);
  if (!had_limit)
    parsed.limit = kDefaultLimit;
  else if (*parsed.limit > kLargestLimit)
    parsed.limit = kLargestLimit;

  CompileResult result = generate_sql(engine, std::move(parsed));
  reject_unresolved_references(result.sql);
  restore_induced_names(result.columns, restore);
  result.default_limit_applied = !had_limit;
  return result;
}

}  // namespace orvane
