// What every generation step of one compile call reads: the engine, the dialect, and the
// template nesting depth.
#pragma once

#include <cstdint>

#include "engine/dialect/dialect.h"
#include "engine/mod/engine.h"

namespace orvane {

struct GeneratorContext {
  const Engine& engine;
  Dialect dialect;
  // Nesting depth of template rendering; only the renderer changes it, and restores it.
  std::uint32_t depth = 0;
  // Template renderings done so far in this call; bounds expansion through shared references.
  std::uint64_t renderings = 0;

  explicit GeneratorContext(const Engine& e) : engine(e), dialect(e.dialect) {}
};

}  // namespace orvane
