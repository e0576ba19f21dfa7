#include "common/failure.h"

namespace orvane {
namespace {

std::string_view prefix_of(EngineErrorKind kind) {
  switch (kind) {
    case EngineErrorKind::Schema:
      return "Schema error: ";
    case EngineErrorKind::Query:
      return "Query error: ";
    case EngineErrorKind::Join:
      return "Join error: ";
    case EngineErrorKind::SqlGeneration:
      return "SQL generation error: ";
  }
  return "";
}

}  // namespace

EngineError::EngineError(EngineErrorKind kind, std::string detail)
    : Failure(std::string(prefix_of(kind)) + detail), kind_(kind), detail_(std::move(detail)) {}

std::string_view EngineError::variant_name() const {
  switch (kind_) {
    case EngineErrorKind::Schema:
      return "SchemaError";
    case EngineErrorKind::Query:
      return "QueryError";
    case EngineErrorKind::Join:
      return "JoinError";
    case EngineErrorKind::SqlGeneration:
      return "SqlGenerationError";
  }
  return "";
}

}  // namespace orvane
