// Function calls: custom functions of the registry, then the built-in table, each called in
// the way its shape asks for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/expected.h"
#include "core/registry.h"
#include "core/values.h"

namespace orvel::core {

// Calls the function named `name` (upper case, as the lexer gives it) with evaluated
// arguments. Unknown names fail with #NAME?.
Expected<ArrayValue, FormulaError> call_function(std::string_view name,
                                                 std::span<const ArrayValue> args,
                                                 const Registry& registry);

// What the evaluator needs besides the result: the text bytes the call built, and whether the
// result may hold the arguments' values (an array-returning built-in passes them through).
struct CallEffects {
    std::size_t text_built = 0;
    bool passes_arguments = false;
};

// The same call, with the built-in row its name denotes found in advance (an AstNode's
// `builtin`: a row index, kNotBuiltin, or kBuiltinUnresolved to look the name up here).
Expected<ArrayValue, FormulaError> call_function(std::string_view name, std::uint8_t builtin,
                                                 std::span<const ArrayValue> args,
                                                 const Registry& registry,
                                                 CallEffects& effects);

}  // namespace orvel::core
