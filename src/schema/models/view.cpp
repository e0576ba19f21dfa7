#include "schema/models/view.h"

namespace orvane {

std::string_view spelling(DimensionType type) {
  static constexpr std::string_view names[] = {"string",   "number",  "date",
                                               "datetime", "boolean", "geo"};
  return names[static_cast<int>(type)];
}

std::string_view spelling(MeasureType type) {
  static constexpr std::string_view names[] = {
      "count",  "sum",    "average", "min", "max", "count_distinct", "count_distinct_approx",
      "median", "custom", "number"};
  return names[static_cast<int>(type)];
}

std::string_view spelling(EntityType type) {
  return type == EntityType::Primary ? "primary" : "foreign";
}

std::string_view spelling(DriverDirection value) {
  static constexpr std::string_view names[] = {"positive", "negative", "unknown"};
  return names[static_cast<int>(value)];
}

std::string_view spelling(DriverStrength value) {
  static constexpr std::string_view names[] = {"strong", "moderate", "weak"};
  return names[static_cast<int>(value)];
}

std::string_view spelling(DriverConfidence value) {
  static constexpr std::string_view names[] = {"high", "medium", "low"};
  return names[static_cast<int>(value)];
}

std::string_view spelling(DriverForm value) {
  static constexpr std::string_view names[] = {"linear",     "log-log",   "log-linear",
                                               "linear-log", "quadratic", "cubic",
                                               "sqrt",       "inverse",   "linear-log-quadratic"};
  return names[static_cast<int>(value)];
}

std::string_view spelling(ShiftDirection value) {
  return value == ShiftDirection::Prior ? "prior" : "next";
}

std::span<const std::string> entity_keys(const Entity& entity) {
  if (entity.keys) return *entity.keys;
  if (entity.key) return {&*entity.key, 1};
  return {};
}

const Entity* find_entity(const View& view, std::string_view name) {
  for (const auto& entity : view.entities)
    if (entity.name == name) return &entity;
  return nullptr;
}

const Dimension* find_dimension(const View& view, std::string_view name) {
  for (const auto& dimension : view.dimensions)
    if (dimension.name == name) return &dimension;
  return nullptr;
}

const Measure* find_measure(const View& view, std::string_view name) {
  if (!view.measures) return nullptr;
  for (const auto& measure : *view.measures)
    if (measure.name == name) return &measure;
  return nullptr;
}

const Segment* find_segment(const View& view, std::string_view name) {
  for (const auto& segment : view.segments)
    if (segment.name == name) return &segment;
  return nullptr;
}

}  // namespace orvane
