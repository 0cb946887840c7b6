// Rules over single values shared by the built-in functions: truthiness and SORT's ordering.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/values.h"

namespace orvel::core {

enum class Ordering : std::int8_t { Less = -1, Equal = 0, Greater = 1 };

// Falsy: 0 and -0, the empty text, FALSE, Empty and every error; everything else is truthy
// (NaN and every custom value included).
bool is_truthy(const CellValue& value) noexcept;

// The ordering of cell values used by SORT: numbers and booleans, then texts, Empty, errors and
// custom values; NaN is Equal to every number, so this is not a consistent order on its own.
Ordering compare_cell_values(const CellValue& a, const CellValue& b);

// Byte-wise comparison of texts as unsigned bytes, the shorter text first on a common prefix.
Ordering compare_bytes(std::string_view a, std::string_view b) noexcept;

}  // namespace orvel::core
