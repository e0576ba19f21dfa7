// An optional value kept on the heap: eight bytes in its record whether set or not. Records hold
// their rarely given parts (documentation, shifts, rolling windows, lifespans) this way, so that
// a schema's records stay small; they are read through the same operations as std::optional.
#pragma once

#include <memory>
#include <optional>
#include <utility>

namespace orvane {

template <typename T>
class Boxed {
 public:
  Boxed() = default;
  Boxed(std::nullopt_t) {}
  Boxed(T value) : value_(std::make_unique<T>(std::move(value))) {}
  Boxed(std::optional<T> value) {
    if (value) value_ = std::make_unique<T>(std::move(*value));
  }
  Boxed(const Boxed& other) : value_(other ? std::make_unique<T>(*other) : nullptr) {}
  Boxed(Boxed&&) noexcept = default;
  Boxed& operator=(const Boxed& other) {
    if (this != &other) value_ = other ? std::make_unique<T>(*other) : nullptr;
    return *this;
  }
  Boxed& operator=(Boxed&&) noexcept = default;
  ~Boxed() = default;

  bool has_value() const { return value_ != nullptr; }
  explicit operator bool() const { return has_value(); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return value_.get(); }
  const T* operator->() const { return value_.get(); }

 private:
  std::unique_ptr<T> value_;
};

}  // namespace orvane
