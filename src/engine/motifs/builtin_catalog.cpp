#include "engine/motifs/builtin_catalog.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

namespace orvane {
namespace {

std::pair<std::string, MotifParam> measure_param(std::string description) {
  MotifParam param;
  param.type = MotifParamType::Measure;
  param.constraints = {MotifConstraint::Numeric};
  param.description = std::move(description);
  return {"measure", std::move(param)};
}

std::pair<std::string, MotifParam> time_param() {
  MotifParam param;
  param.type = MotifParamType::Dimension;
  param.constraints = {MotifConstraint::Temporal};
  param.description = "Time dimension for ordering";
  return {"time", std::move(param)};
}

std::pair<std::string, MotifParam> number_param(std::string name, std::int64_t default_value,
                                                std::string description) {
  MotifParam param;
  param.type = MotifParamType::Number;
  param.default_value = Value(default_value);
  param.description = std::move(description);
  return {std::move(name), std::move(param)};
}

std::pair<std::string, MotifParam> threshold_param() {
  return number_param("threshold", 2, "Z-score threshold for anomaly detection");
}

std::pair<std::string, MotifParam> window_param() {
  return number_param("window", 6, "Window size (ROWS BETWEEN N PRECEDING AND CURRENT ROW)");
}

Motif builtin(std::string name, std::string description,
              std::vector<std::pair<std::string, MotifParam>> params) {
  Motif motif;
  motif.name = std::move(name);
  motif.description = std::move(description);
  motif.kind = MotifKind::Builtin;
  for (auto& [key, param] : params) motif.params.insert_or_assign(key, std::move(param));
  return motif;
}

std::vector<Motif> make_builtin_motifs() {
  const auto comparison = [](std::string name, std::string description) {
    return builtin(std::move(name), std::move(description),
                   {measure_param("Measure to compare"), time_param()});
  };
  std::vector<Motif> motifs;
  motifs.push_back(comparison("yoy", "Year-over-year comparison"));
  motifs.push_back(comparison("qoq", "Quarter-over-quarter comparison"));
  motifs.push_back(comparison("mom", "Month-over-month comparison"));
  motifs.push_back(comparison("wow", "Week-over-week comparison"));
  motifs.push_back(comparison("dod", "Day-over-day comparison"));
  motifs.push_back(builtin("anomaly", "Anomaly detection using z-score",
                           {measure_param("Measure to detect anomalies on"), threshold_param()}));
  motifs.push_back(builtin(
      "contribution", "Contribution analysis \u2014 share of each row's measure relative to total",
      {measure_param("Measure to analyze contribution for")}));
  motifs.push_back(builtin("trend", "Linear trend (regression slope + intercept)",
                           {measure_param("Measure to fit trend on"), time_param()}));
  motifs.push_back(builtin("moving_average", "Moving average over a sliding window",
                           {measure_param("Measure to average"), time_param(), window_param()}));
  motifs.push_back(
      builtin("rank", "Rank rows by measure descending", {measure_param("Measure to rank by")}));
  motifs.push_back(builtin("percent_of_total", "Each row's measure as a percentage of the total",
                           {measure_param("Measure to compute percentage for")}));
  motifs.push_back(builtin("cumulative", "Running cumulative sum",
                           {measure_param("Measure to accumulate"), time_param()}));
  return motifs;
}

}  // namespace

// Built once on first use and never changed afterwards.
const std::vector<Motif>& builtin_motifs() {
  static const std::vector<Motif> motifs = make_builtin_motifs();
  return motifs;
}

bool is_builtin_motif_name(std::string_view name) {
  const auto& motifs = builtin_motifs();
  return std::any_of(motifs.begin(), motifs.end(),
                     [&](const Motif& motif) { return motif.name == name; });
}

}  // namespace orvane
