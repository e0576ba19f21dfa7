#include "engine/sql_generator/reference_checks.h"

#include <string>

#include "common/failure.h"
#include "engine/evaluator/member_path.h"

namespace orvane {
namespace {

template <typename Find>
void check_path(const Engine& engine, std::string_view path, std::string_view noun, Find find) {
  MemberPath member = parse_member_path(path);
  if (!find(engine, member.view, member.member))
    throw query_error(std::string(noun) + " '" + std::string(member.member) +
                      "' not found in view '" + std::string(member.view) + "'");
}

template <typename Find>
void check_paths(const Engine& engine, const std::vector<std::string>& paths, std::string_view noun,
                 Find find) {
  for (const auto& path : paths) check_path(engine, path, noun, find);
}

}  // namespace

void check_member_references(const Engine& engine, const QueryRequest& request) {
  using FindMeasure = const Measure* (*)(const Engine&, std::string_view, std::string_view);
  using FindDimension = const Dimension* (*)(const Engine&, std::string_view, std::string_view);
  using FindSegment = const Segment* (*)(const Engine&, std::string_view, std::string_view);
  check_paths(engine, request.measures, "Measure", static_cast<FindMeasure>(find_measure));
  check_paths(engine, request.dimensions, "Dimension", static_cast<FindDimension>(find_dimension));
  for (const auto& query : request.time_dimensions)
    check_path(engine, query.dimension, "Time dimension",
               static_cast<FindDimension>(find_dimension));
  check_paths(engine, request.segments, "Segment", static_cast<FindSegment>(find_segment));
}

}  // namespace orvane
