// The bodies of the built-in functions, by calling shape.
#pragma once

#include <span>

#include "core/expected.h"
#include "core/registry.h"
#include "core/values.h"

namespace orvel::core {

using ScalarResult = Expected<CellValue, FormulaError>;
using ArrayResult = Expected<ArrayValue, FormulaError>;

// Aggregate bodies see every element of every argument, argument after argument, each
// row-major: one flat list, read in place.
ScalarResult fn_sum(std::span<const ArrayValue> args, const Registry& registry);
ScalarResult fn_average(std::span<const ArrayValue> args, const Registry& registry);
ScalarResult fn_min(std::span<const ArrayValue> args, const Registry& registry);
ScalarResult fn_max(std::span<const ArrayValue> args, const Registry& registry);
ScalarResult fn_count(std::span<const ArrayValue> args, const Registry& registry);
ScalarResult fn_concat(std::span<const ArrayValue> args, const Registry& registry);

// Elementwise bodies see one element of the first argument and the top-left value of each
// further argument.
ScalarResult fn_abs(const CellValue& element, std::span<const CellValue> others,
                    const Registry& registry);
ScalarResult fn_round(const CellValue& element, std::span<const CellValue> others,
                      const Registry& registry);
ScalarResult fn_len(const CellValue& element, std::span<const CellValue> others,
                    const Registry& registry);
ScalarResult fn_upper(const CellValue& element, std::span<const CellValue> others,
                      const Registry& registry);
ScalarResult fn_lower(const CellValue& element, std::span<const CellValue> others,
                      const Registry& registry);

// Array bodies see the argument arrays with their shapes.
ArrayResult fn_if_array(std::span<const ArrayValue> args, const Registry& registry);
ArrayResult fn_sequence(std::span<const ArrayValue> args, const Registry& registry);
ArrayResult fn_transpose(std::span<const ArrayValue> args, const Registry& registry);
ArrayResult fn_filter(std::span<const ArrayValue> args, const Registry& registry);
ArrayResult fn_sort(std::span<const ArrayValue> args, const Registry& registry);
ArrayResult fn_unique(std::span<const ArrayValue> args, const Registry& registry);

}  // namespace orvel::core
