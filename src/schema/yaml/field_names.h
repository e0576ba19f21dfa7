// The field names of one record type. Each is declared once as a constant, and a table built with
// it narrows a document key to the one field it can be, so that matching a record's keys costs
// one comparison per key instead of one per field.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <span>
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
  constexpr FieldNames(std::initializer_list<std::string_view> names)
      : FieldNames(std::span<const std::string_view>(names.begin(), names.size())) {}
  constexpr explicit FieldNames(std::span<const std::string_view> names) {
    if (names.size() > kMaxFields) throw std::logic_error("record has too many fields");
    for (std::string_view name : names) names_[size_++] = name;
    while (!place_names()) {
      if (++seed_ == kMaxSeed) throw std::logic_error("record field names share a slot");
    }
  }

  constexpr std::size_t size() const { return size_; }
  constexpr std::string_view operator[](std::size_t field) const { return names_[field]; }

  // The field of that name, or size() when the record has none.
  constexpr std::size_t find(std::string_view name) const {
    std::uint8_t slot = slots_[slot_of(name)];
    if (slot == 0 || !same_text(names_[slot - 1], name)) return size_;
    return slot - 1;
  }

 private:
  static constexpr std::size_t kSlots = 64;
  static constexpr unsigned kMaxSeed = 256;

  // Length, first and last byte place a record's names in distinct slots for some small seed,
  // which the constructor looks for; a key then needs one comparison.
  constexpr std::size_t slot_of(std::string_view name) const {
    unsigned first = name.empty() ? 0 : static_cast<unsigned char>(name.front());
    unsigned last = name.empty() ? 0 : static_cast<unsigned char>(name.back());
    return (first * seed_ + last + name.size() * 8) % kSlots;
  }

  // Slots hold a field's index plus one, so that zero marks an empty slot.
  constexpr bool place_names() {
    slots_ = {};
    for (std::size_t field = 0; field < size_; ++field) {
      std::uint8_t& slot = slots_[slot_of(names_[field])];
      if (slot != 0) return false;
      slot = static_cast<std::uint8_t>(field + 1);
    }
    return true;
  }

  std::array<std::string_view, kMaxFields> names_{};
  std::array<std::uint8_t, kSlots> slots_{};
  std::size_t size_ = 0;
  unsigned seed_ = 1;
};

}  // namespace orvane::yaml
