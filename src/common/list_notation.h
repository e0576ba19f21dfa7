// Lists of texts as messages show them.
#pragma once

#include <string>
#include <vector>

namespace orvane {

// ["a", "b"]: each item in double quotes, with quotes and backslashes inside escaped by a
// backslash; an empty list is [].
std::string list_notation(const std::vector<std::string>& items);

}  // namespace orvane
