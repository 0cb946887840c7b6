// Double to integer conversions that never leave the target's range: values beyond it
// saturate and NaN becomes 0 (a plain cast would be undefined behaviour there).
#pragma once

#include <cmath>
#include <cstdint>

namespace orvel::core {

// Truncates towards zero.
inline std::int32_t saturating_i32(double x) noexcept {
    if (std::isnan(x)) return 0;
    if (x <= static_cast<double>(INT32_MIN)) return INT32_MIN;
    if (x >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    return static_cast<std::int32_t>(x);
}

// Truncates towards zero; negative values give 0.
inline std::uint32_t saturating_u32(double x) noexcept {
    if (std::isnan(x) || x <= 0) return 0;
    if (x >= static_cast<double>(UINT32_MAX)) return UINT32_MAX;
    return static_cast<std::uint32_t>(x);
}

}  // namespace orvel::core
