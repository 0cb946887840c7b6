// ABS, ROUND, LEN, UPPER and LOWER: one element of the first argument at a time.
#include <cmath>
#include <cstdint>
#include <string>

#include "core/functions.h"
#include "core/numeric_cast.h"
#include "core/unicode.h"

namespace orvel::core {

namespace {

// The first `wanted` numbers of [element, others...] under the registry's coercion.
struct Numbers {
    double values[2] = {0, 0};
    int count = 0;
};

Numbers gather_numbers(const CellValue& element, std::span<const CellValue> others,
                       const Registry& registry, int wanted) {
    Numbers out;
    auto take = [&](const CellValue& value) {
        if (out.count == wanted) return;
        if (auto number = registry.coerce_number(value)) out.values[out.count++] = *number;
    };
    take(element);
    for (const CellValue& value : others) take(value);
    return out;
}

// 10 to the power `exponent` by square and multiply, the reciprocal for a negative exponent.
double power_of_ten(std::int32_t exponent) noexcept {
    // The magnitude as unsigned, which is exact even for the most negative exponent.
    std::uint32_t bits = exponent < 0 ? 0u - static_cast<std::uint32_t>(exponent)
                                      : static_cast<std::uint32_t>(exponent);
    double result = 1.0;
    double base = 10.0;
    while (bits != 0) {
        if (bits & 1u) result *= base;
        base *= base;
        bits >>= 1;
    }
    return exponent < 0 ? 1.0 / result : result;
}

std::size_t display_length(const CellValue& value, const Registry& registry) {
    if (value.is_text()) return value.text_view().size();
    if (value.is_empty()) return 0;
    return registry.render(value).size();
}

}  // namespace

ScalarResult fn_abs(const CellValue& element, std::span<const CellValue> others,
                    const Registry& registry) {
    Numbers numbers = gather_numbers(element, others, registry, 1);
    if (numbers.count == 0) return CellValue();
    return CellValue::number(std::fabs(numbers.values[0]));
}

ScalarResult fn_round(const CellValue& element, std::span<const CellValue> others,
                      const Registry& registry) {
    Numbers numbers = gather_numbers(element, others, registry, 2);
    if (numbers.count == 0) return CellValue();
    double factor = 1.0;
    if (numbers.count == 2) factor = power_of_ten(saturating_i32(numbers.values[1]));
    // A factor of infinity or zero makes the result NaN, as the division by it does.
    return CellValue::number(std::round(numbers.values[0] * factor) / factor);
}

ScalarResult fn_len(const CellValue& element, std::span<const CellValue>,
                    const Registry& registry) {
    // UTF-8 bytes, not characters.
    return CellValue::number(static_cast<double>(display_length(element, registry)));
}

ScalarResult fn_upper(const CellValue& element, std::span<const CellValue>,
                      const Registry& registry) {
    if (element.is_text()) return CellValue::text(to_upper_full(element.text_view()));
    return CellValue::text(to_upper_full(registry.render(element)));
}

ScalarResult fn_lower(const CellValue& element, std::span<const CellValue>,
                      const Registry& registry) {
    if (element.is_text()) return CellValue::text(to_lower_full(element.text_view()));
    return CellValue::text(to_lower_full(registry.render(element)));
}

}  // namespace orvel::core
