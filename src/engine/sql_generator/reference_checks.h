// Every member a request selects must exist before any SQL is built; what the check finds serves
// every later step, so each path is looked up once.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "engine/mod/engine.h"
#include "engine/query/request.h"

namespace orvane {

// The members of each kind that one name stands for in one view: the first of that name, or null.
// All are null when the view does not exist. They point into the engine's layer.
struct NamedMembers {
  const Dimension* dimension = nullptr;
  const Measure* measure = nullptr;
  const Segment* segment = nullptr;

  NamedMembers() = default;
  NamedMembers(const Engine& engine, std::string_view view, std::string_view member);
};

// The members named by the request's measure, dimension, time dimension and segment paths, each
// in request order.
class RequestMembers {
 public:
  explicit RequestMembers(const QueryRequest& request);

  const NamedMembers& measure(std::size_t i) const { return named_[i]; }
  const NamedMembers& dimension(std::size_t i) const { return named_[dimensions_ + i]; }
  const NamedMembers& time_dimension(std::size_t i) const { return named_[time_dimensions_ + i]; }
  const NamedMembers& segment(std::size_t i) const { return named_[segments_ + i]; }

 private:
  friend RequestMembers check_member_references(const Engine& engine, const QueryRequest& request);
  std::vector<NamedMembers> named_;
  std::size_t dimensions_ = 0, time_dimensions_ = 0, segments_ = 0;  // where each kind starts
};

// Measures, then dimensions, time dimensions and segments; the first missing member is a query
// error naming it and its view. Filter members are checked when filters compile.
RequestMembers check_member_references(const Engine& engine, const QueryRequest& request);

}  // namespace orvane
