// The field names of one record type. Each is declared once as a constant, and a table built with
// it narrows a document key to the field or two it can be, so that matching a record's keys costs
// about one comparison per key instead of one per field.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string_view>
#include <type_traits>

namespace orvane::yaml {

// Equality of two texts without a call to memcmp for the lengths of field names: two overlapping
// word loads compare 4 to 16 bytes.
constexpr bool same_text(std::string_view a, std::string_view b) {
  std::size_t size = a.size();
  if (size != b.size()) return false;
  if (std::is_constant_evaluated() || size < 4 || size > 16) return a == b;
  auto same_word = [&](auto word, std::size_t at) {
    decltype(word) other = word;
    std::memcpy(&word, a.data() + at, sizeof word);
    std::memcpy(&other, b.data() + at, sizeof word);
    return word == other;
  };
  if (size < 8) return same_word(std::uint32_t{}, 0) && same_word(std::uint32_t{}, size - 4);
  return same_word(std::uint64_t{}, 0) && same_word(std::uint64_t{}, size - 8);
}

class FieldNames {
 public:
  static constexpr std::size_t kMaxFields = 16;

  // Declared as `static constexpr FieldNames kNames = {...}`, so too many names stop the build.
  constexpr FieldNames(std::initializer_list<std::string_view> names) {
    if (names.size() > kMaxFields) throw std::logic_error("record has too many fields");
    for (std::string_view name : names) {
      names_[size_] = name;
      buckets_[bucket(name)] |= static_cast<std::uint16_t>(1u << size_);
      ++size_;
    }
  }

  constexpr std::size_t size() const { return size_; }
  constexpr std::string_view operator[](std::size_t field) const { return names_[field]; }

  // The field of that name, or size() when the record has none.
  constexpr std::size_t find(std::string_view name) const {
    for (unsigned candidates = buckets_[bucket(name)]; candidates != 0;
         candidates &= candidates - 1) {
      auto field = static_cast<std::size_t>(std::countr_zero(candidates));
      if (same_text(names_[field], name)) return field;
    }
    return size_;
  }

 private:
  static constexpr std::size_t kBuckets = 64;
  // The names of one record seldom share both their length and their first letter.
  static constexpr std::size_t bucket(std::string_view name) {
    unsigned first = name.empty() ? 0 : static_cast<unsigned char>(name[0]);
    return (name.size() * 8 + first) % kBuckets;
  }

  std::array<std::string_view, kMaxFields> names_{};
  std::array<std::uint16_t, kBuckets> buckets_{};
  std::size_t size_ = 0;
};

}  // namespace orvane::yaml
