// SUM, AVERAGE, MIN, MAX, COUNT and CONCAT.
#include <cmath>
#include <limits>
#include <string>

#include "core/functions.h"
#include "core/text_budget.h"

namespace orvel::core {

namespace {

// Calls `use(number)` for every value in list order that has a numeric form under the
// registry's coercion; the others are skipped.
template <class Use>
void gather_numbers(std::span<const ArrayValue> args, const Registry& registry, Use&& use) {
    for (const ArrayValue& arg : args) {
        for (const CellValue& value : arg) {
            if (value.is_number()) {
                use(value.as_double());
            } else if (auto number = registry.coerce_number(value)) {
                use(*number);
            }
        }
    }
}

// One step of the MAX and MIN folds: a NaN never replaces the running value, and -0 counts
// below +0. Written out rather than with std::fmax/std::fmin, which leave the sign of a zero
// result to the compiler, so that every build gives the same zero.
double larger_number(double running, double x) {
    return x > running || (x == running && std::signbit(running)) ? x : running;
}

double smaller_number(double running, double x) {
    return x < running || (x == running && std::signbit(x)) ? x : running;
}

}  // namespace

ScalarResult fn_sum(std::span<const ArrayValue> args, const Registry& registry) {
    // One left-to-right accumulator from -0, so that a sum of nothing (or of -0s) stays -0.
    double sum = -0.0;
    gather_numbers(args, registry, [&](double x) { sum += x; });
    return CellValue::number(sum);
}

ScalarResult fn_average(std::span<const ArrayValue> args, const Registry& registry) {
    double sum = -0.0;
    std::size_t count = 0;
    gather_numbers(args, registry, [&](double x) {
        sum += x;
        ++count;
    });
    if (count == 0) return CellValue();
    return CellValue::number(sum / static_cast<double>(count));
}

ScalarResult fn_min(std::span<const ArrayValue> args, const Registry& registry) {
    bool any = false;
    double least = std::numeric_limits<double>::infinity();
    gather_numbers(args, registry, [&](double x) {
        any = true;
        least = smaller_number(least, x);
    });
    return any ? CellValue::number(least) : CellValue();
}

ScalarResult fn_max(std::span<const ArrayValue> args, const Registry& registry) {
    bool any = false;
    double greatest = -std::numeric_limits<double>::infinity();
    gather_numbers(args, registry, [&](double x) {
        any = true;
        greatest = larger_number(greatest, x);
    });
    return any ? CellValue::number(greatest) : CellValue();
}

ScalarResult fn_count(std::span<const ArrayValue> args, const Registry& registry) {
    std::size_t count = 0;
    gather_numbers(args, registry, [&](double) { ++count; });
    return CellValue::number(static_cast<double>(count));
}

ScalarResult fn_concat(std::span<const ArrayValue> args, const Registry& registry) {
    TextBudget budget("CONCAT");
    std::string out;
    for (const ArrayValue& arg : args) {
        for (const CellValue& value : arg) {
            if (value.is_text()) {
                // Checked before copying, so that no oversized text is ever built.
                if (!budget.take(value.text_view().size())) return unexpected(budget.exceeded());
                out += value.text_view();
                continue;
            }
            const std::size_t before = out.size();
            registry.append_render(out, value);
            if (!budget.take(out.size() - before)) return unexpected(budget.exceeded());
        }
    }
    return CellValue::text(out);
}

}  // namespace orvel::core
