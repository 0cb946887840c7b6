// Every bound the engine enforces, in one place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvel::core {

// Largest number of cells any range, array literal, operator result or built-in result may hold.
inline constexpr std::uint64_t kMaxCells = 100000;

// Most cells `extract_refs` lists for one formula in all; a range that would pass it lists none.
inline constexpr std::uint64_t kMaxListedCells = 1000000;

// Deepest nesting of parentheses, signs, calls and array literals the parser accepts. Keeps
// every recursive walk over a syntax tree far from the end of the C stack.
inline constexpr std::size_t kMaxNestingDepth = 256;

// Largest total of text bytes one evaluation result may hold (100 MiB).
inline constexpr std::size_t kMaxTextBytes = std::size_t{100} * 1024 * 1024;

// Largest estimate of memory one evaluation may hold in values waiting for their operator or
// function (argument lists), so that a long argument list of large arrays cannot exhaust memory.
inline constexpr std::size_t kMaxPendingBytes = std::size_t{1} << 30;

// Last addressable row and column (both 1-based, unsigned 32-bit).
inline constexpr std::uint32_t kMaxRow = UINT32_MAX;
inline constexpr std::uint32_t kMaxColumn = UINT32_MAX;

// Deepest nesting of host callbacks (a custom function that changes another sheet whose
// recalculation calls back again, and so on). Each level stacks an interpreter frame and a
// recalculation on the C stack, so the bound sits far below what would exhaust it.
inline constexpr int kMaxCallbackDepth = 200;

// Bounds of the substitution of named definitions into a formula: the longest chain of names
// defined through other names, the deepest nesting of the substituted tree (twice the parser's
// nesting, which is the most a parsed formula reaches), and the most nodes names may bring in.
inline constexpr std::uint32_t kMaxNameDepth = 100;
inline constexpr std::uint64_t kMaxExpandedDepth = 2 * kMaxNestingDepth;
inline constexpr std::uint64_t kMaxExpandedNodes = 1000000;

}  // namespace orvel::core
