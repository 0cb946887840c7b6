// The table of built-in functions: names, aliases, parameters, help texts, calling shape.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace orvel::core {

enum class EvalKind : std::uint8_t { Scalar, Array };
enum class FunctionShape : std::uint8_t { Aggregate, Elementwise, ArrayReturning };
enum class FunctionCategory : std::uint8_t { Math, Statistical, Logical, Text, Array };

std::string_view category_name(FunctionCategory category) noexcept;

struct BuiltinParam {
    std::string_view name;
    std::string_view description;
    bool optional;
};

struct BuiltinExample {
    std::string_view formula;
    std::string_view result;
};

struct BuiltinRow {
    EvalKind eval_kind;
    std::optional<BuiltinParam> variadic;
    std::string_view name;
    std::span<const std::string_view> aliases;
    std::span<const BuiltinParam> params;
    std::string_view description;
    std::span<const BuiltinExample> examples;
    FunctionShape shape;
    FunctionCategory category;
};

inline constexpr std::size_t kBuiltinCount = 17;

// The rows in table order.
std::span<const BuiltinRow> builtins() noexcept;

// Index of the row whose name or alias equals `name` byte for byte (rows in order, each row's
// name before its aliases); none when nothing matches.
std::optional<std::size_t> find_builtin(std::string_view name) noexcept;

}  // namespace orvel::core
