#include "engine/evaluator/member_path.h"

#include <string>

#include "common/failure.h"

namespace orvane {

MemberPath parse_member_path(std::string_view text) {
  std::size_t dot = text.find('.');
  if (dot == std::string_view::npos || text.find('.', dot + 1) != std::string_view::npos)
    throw query_error("Invalid member path: '" + std::string(text) +
                      "'. Expected format: 'view.member'");
  return {text.substr(0, dot), text.substr(dot + 1)};
}

std::string_view view_part(std::string_view path) {
  return path.substr(0, path.find('.'));
}

const Dimension* find_dimension(const Engine& engine, std::string_view view,
                                std::string_view member) {
  const View* found = engine.find_view(view);
  return found ? find_dimension(*found, member) : nullptr;
}

const Measure* find_measure(const Engine& engine, std::string_view view, std::string_view member) {
  const View* found = engine.find_view(view);
  return found ? find_measure(*found, member) : nullptr;
}

const Segment* find_segment(const Engine& engine, std::string_view view, std::string_view member) {
  const View* found = engine.find_view(view);
  return found ? find_segment(*found, member) : nullptr;
}

}  // namespace orvane
