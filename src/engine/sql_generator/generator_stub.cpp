// Placeholder until SQL generation lands.
#include "common/failure.h"
#include "engine/sql_generator/generator.h"

namespace orvane {

CompileResult generate_sql(const Engine&, const QueryRequest&) {
  throw sql_generation_error("SQL generation is not built yet");
}

}  // namespace orvane
