// Writing rewritten references: cells, column letters and row numbers from 0-based indices.
#pragma once

#include <cstdint>
#include <string>

#include "core/ref_scan.h"

namespace orvel::core {

// The letters of a 0-based column below UINT32_MAX ("A" for 0).
void append_column(std::string& out, std::uint32_t col);
// The decimal 1-based number of a 0-based row below UINT32_MAX.
void append_row(std::string& out, std::uint32_t row);
// "$" where marked, the column letters, "$" where marked, the row number.
void append_cell(std::string& out, CellIndex cell, Markers markers = {});

inline constexpr std::string_view kRefError = "#REF!";

}  // namespace orvel::core
