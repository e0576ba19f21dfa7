// The records of a view document. A View owns everything it holds and is immutable once loaded.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/boxed.h"

namespace orvane {

// Free-form metadata: text keys to lists of texts. Key order is not kept.
using MetaMap = std::map<std::string, std::vector<std::string>>;

enum class DimensionType { String, Number, Date, Datetime, Boolean, Geo };
enum class MeasureType {
  Count,
  Sum,
  Average,
  Min,
  Max,
  CountDistinct,
  CountDistinctApprox,
  Median,
  Custom,
  Number
};
enum class EntityType { Primary, Foreign };
enum class DriverDirection { Positive, Negative, Unknown };
enum class DriverStrength { Strong, Moderate, Weak };
enum class DriverConfidence { High, Medium, Low };
enum class DriverForm {
  Linear,
  LogLog,
  LogLinear,
  LinearLog,
  Quadratic,
  Cubic,
  Sqrt,
  Inverse,
  LinearLogQuadratic
};
enum class ShiftDirection { Prior, Next };

// Document spellings ("string", "count_distinct", "log-log", "prior", ...).
std::string_view spelling(DimensionType type);
std::string_view spelling(MeasureType type);
std::string_view spelling(EntityType type);
std::string_view spelling(DriverDirection value);
std::string_view spelling(DriverStrength value);
std::string_view spelling(DriverConfidence value);
std::string_view spelling(DriverForm value);
std::string_view spelling(ShiftDirection value);

struct Lifespan {
  std::string start;
  std::optional<std::string> end;
  std::optional<std::string> from;
};

struct Entity {
  std::string name;
  EntityType type = EntityType::Primary;
  Boxed<std::string> description;
  std::optional<std::string> key;
  std::optional<std::vector<std::string>> keys;
  Boxed<Lifespan> lifespan;
  Boxed<std::string> inherits_from;
  Boxed<MetaMap> meta;
  Boxed<std::string> parent;
};

// An entity's key columns: `keys` when present, else `key` alone, else none.
std::span<const std::string> entity_keys(const Entity& entity);

struct Dimension {
  std::string name;
  DimensionType type = DimensionType::String;
  Boxed<std::string> description;
  std::string expr;
  Boxed<std::string> original_expr;
  Boxed<std::vector<std::string>> samples;
  Boxed<std::vector<std::string>> synonyms;
  std::optional<bool> primary_key;
  std::optional<bool> sub_query;
  std::optional<bool> segmentable;
  Boxed<std::string> inherits_from;
  Boxed<MetaMap> meta;
};

struct MeasureFilter {
  std::string expr;
  std::optional<std::string> original_expr;
  std::optional<std::string> description;
};

struct RollingWindow {
  std::optional<std::string> trailing;
  std::optional<std::string> leading;
  std::optional<std::string> offset;
};

struct Driver {
  std::string measure;
  DriverDirection direction = DriverDirection::Unknown;
  DriverStrength strength = DriverStrength::Moderate;
  DriverConfidence confidence = DriverConfidence::Medium;
  std::optional<double> coefficient;
  std::optional<std::vector<double>> coefficients;
  std::optional<DriverForm> form;
  std::optional<double> intercept;
  std::optional<std::uint64_t> lag;
  std::optional<std::string> description;
  std::optional<std::vector<std::string>> refs;
};

struct Shift {
  std::string measure;
  std::string by;
  ShiftDirection direction = ShiftDirection::Prior;
  std::optional<std::string> comparable_by;
  std::optional<std::string> maturity;
};

struct Measure {
  std::string name;
  MeasureType type = MeasureType::Count;
  Boxed<std::string> description;
  std::optional<std::string> expr;
  Boxed<std::string> original_expr;
  Boxed<std::vector<MeasureFilter>> filters;
  Boxed<std::vector<std::string>> samples;
  Boxed<std::vector<std::string>> synonyms;
  Boxed<RollingWindow> rolling_window;
  Boxed<std::string> inherits_from;
  Boxed<std::vector<Driver>> drivers;
  Boxed<Shift> shift;
  Boxed<MetaMap> meta;
};

struct Segment {
  std::string name;
  std::string expr;
  Boxed<std::string> description;
  Boxed<std::string> inherits_from;
  Boxed<MetaMap> meta;
};

struct RefreshKey {
  enum class Kind { Sql, Every };
  Kind kind = Kind::Sql;
  std::string text;
};

struct PreAggregation {
  std::string name;
  std::vector<std::string> dimensions;
  std::vector<std::string> measures;
  std::optional<std::string> time_dimension;
  std::optional<std::string> granularity;
  std::optional<RefreshKey> refresh_key;
};

struct View {
  std::string name;
  Boxed<std::string> description;
  Boxed<std::string> label;
  std::optional<std::string> datasource;
  std::optional<std::string> dialect;
  std::optional<std::string> table;
  std::optional<std::string> sql;
  std::vector<Entity> entities;
  std::vector<Dimension> dimensions;
  std::optional<std::vector<Measure>> measures;  // absent when the document had no `measures`
  std::vector<Segment> segments;
  std::optional<std::vector<PreAggregation>> pre_aggregations;
  std::optional<RefreshKey> refresh_key;
  Boxed<MetaMap> meta;
};

// First member of that name in declaration order, or null.
const Entity* find_entity(const View& view, std::string_view name);
const Dimension* find_dimension(const View& view, std::string_view name);
const Measure* find_measure(const View& view, std::string_view name);
const Segment* find_segment(const View& view, std::string_view name);

}  // namespace orvane
