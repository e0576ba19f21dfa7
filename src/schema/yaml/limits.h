// Bounds on what one YAML document may hold, so hostile input ends in an error instead of
// exhausting the stack or memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvane::yaml {

// Largest document text accepted, in bytes.
inline constexpr std::size_t kMaxDocumentBytes = 64u << 20;
// Largest single scalar, in bytes.
inline constexpr std::size_t kMaxScalarBytes = 1u << 20;
// Deepest nesting of sequences and mappings, counted through aliases.
inline constexpr std::uint32_t kMaxDepth = 128;
// Most content that aliases may stand for, summed over every alias of a document: an alias
// counts the expanded size of its target, one unit per node plus one per byte of scalar text
// (aliases inside the target counted expanded too). Bounds alias bombs.
inline constexpr std::uint64_t kMaxAliasExpansion = 1'000'000;

}  // namespace orvane::yaml
