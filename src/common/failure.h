// Failures inside orvane are exceptions carrying the exact text the caller reads; the module
// boundary turns each into one ValueError.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace orvane {

// A failure whose message is final: loading, dialect and query-text errors, which carry no prefix.
class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string& message)
      : std::runtime_error(message), size_(message.size()) {}

  // The whole message. A caller's text may carry NUL bytes, where what() as a C string would end
  // it early; the runtime_error keeps every byte of the message it was given.
  std::string_view message() const { return {what(), size_}; }

 private:
  std::size_t size_;
};

enum class EngineErrorKind { Schema, Query, Join, SqlGeneration };

// The engine's error: a variant and a message; what() is the printed form with its prefix.
class EngineError : public Failure {
 public:
  EngineError(EngineErrorKind kind, std::string detail);

  EngineErrorKind kind() const { return kind_; }
  const std::string& detail() const { return detail_; }
  // The debugging name of the variant ("SchemaError", "QueryError", ...).
  std::string_view variant_name() const;

 private:
  EngineErrorKind kind_;
  std::string detail_;
};

inline EngineError schema_error(std::string detail) {
  return EngineError(EngineErrorKind::Schema, std::move(detail));
}
inline EngineError query_error(std::string detail) {
  return EngineError(EngineErrorKind::Query, std::move(detail));
}
inline EngineError join_error(std::string detail) {
  return EngineError(EngineErrorKind::Join, std::move(detail));
}
inline EngineError sql_generation_error(std::string detail) {
  return EngineError(EngineErrorKind::SqlGeneration, std::move(detail));
}

}  // namespace orvane
