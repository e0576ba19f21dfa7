// Writing unsigned numbers as decimal text, straight into the text under construction.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

namespace orvane {

inline void append_decimal(std::string& out, std::uint64_t number) {
  char digits[20];  // the most a 64-bit number needs
  auto result = std::to_chars(digits, digits + sizeof digits, number);
  out.append(digits, result.ptr);
}

}  // namespace orvane
