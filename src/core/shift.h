// Rewriting a formula for copy and paste: relative parts of references move by the distance
// between source and target, "$" parts stay, references that leave the grid become "#REF!".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvel::core {

// The grid is rows 1..max_row and columns 1..max_col. Reads the characters itself rather than
// lexing them, so it also rewrites formulas that do not lex. Never fails.
std::string shift_formula_refs(std::string_view formula, std::int32_t d_row, std::int32_t d_col,
                               std::uint32_t max_row, std::uint32_t max_col);

}  // namespace orvel::core
