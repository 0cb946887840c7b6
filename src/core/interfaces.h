// What a host or package implements to extend the engine: custom value types and custom
// functions. The engine reaches every extension only through these interfaces.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "core/ast.h"
#include "core/expected.h"
#include "core/values.h"

namespace orvel::core {

// Operator codes handed to handlers: 0 "+", 1 "-", 2 "*", 3 "/", 4 "^", 5 "%", 6 "&".
enum class BinaryOpCode : std::uint8_t { Add, Sub, Mul, Div, Pow, Rem, Concat };

// An answer of a handler's binary_op or compare: not handled, a result, or an error text.
template <class T>
class HandlerAnswer {
public:
    HandlerAnswer() = default;  // not handled
    static HandlerAnswer result(T value) { return HandlerAnswer(std::move(value)); }
    static HandlerAnswer error(std::string text) { return HandlerAnswer(std::move(text)); }

    bool handled() const noexcept { return state_.index() != 0; }
    bool is_error() const noexcept { return state_.index() == 2; }
    const T& value() const { return std::get<1>(state_); }
    T& value() { return std::get<1>(state_); }
    const std::string& error_text() const { return std::get<2>(state_); }

private:
    explicit HandlerAnswer(T value) : state_(std::in_place_index<1>, std::move(value)) {}
    explicit HandlerAnswer(std::string text) : state_(std::in_place_index<2>, std::move(text)) {}
    std::variant<std::monostate, T, std::string> state_;
};

using BinaryOpAnswer = HandlerAnswer<CellValue>;
using CompareAnswer = HandlerAnswer<bool>;

// A custom value type. `type_tag` must return the same text for the handler's whole life.
class CustomTypeHandler {
public:
    virtual ~CustomTypeHandler() = default;

    virtual std::string_view type_tag() const = 0;
    // A custom value for a cell text this type recognises, or none.
    virtual std::optional<CellValue> parse_literal(std::string_view text) const {
        (void)text;
        return std::nullopt;
    }
    virtual std::optional<CellValue> parse_with(std::string_view text,
                                                std::string_view options) const {
        (void)options;
        return parse_literal(text);
    }
    virtual std::string display(const CellValue& value) const = 0;
    // The text under which the value is edited.
    virtual std::string edit_repr(const CellValue& value) const { return display(value); }
    // Offered for every operator with a custom operand, whatever the operands' types.
    virtual BinaryOpAnswer binary_op(BinaryOpCode op, const CellValue& left,
                                     const CellValue& right) const {
        (void)op, (void)left, (void)right;
        return {};
    }
    virtual CompareAnswer compare(CompareOp op, const CellValue& left,
                                  const CellValue& right) const = 0;
    virtual std::optional<double> as_number(const CellValue& value) const {
        (void)value;
        return std::nullopt;
    }
};

// A function callable from formulas. `name` must return the same text for its whole life.
class CustomFunction {
public:
    virtual ~CustomFunction() = default;

    virtual std::string_view name() const = 0;
    // Receives every element of every evaluated argument, row-major, argument after argument.
    // Returns the result or an error text (read back with FormulaError::from).
    virtual Expected<CellValue, std::string> call(std::span<const CellValue> args) const = 0;
};

// Calls into extensions whose effects show outside the engine: the host's callbacks (how often
// and in which order they run) and the clock. Each such call counts itself here, on the thread
// that makes it. The evaluator reuses the result of a shared part of a formula only when its
// evaluation made no such call, so these calls happen as often as the formula spells them out.
// Calls of pure extensions are not counted and cost nothing.
class ObservableCalls {
public:
    static void note() noexcept { ++count_; }
    static std::uint64_t count() noexcept { return count_; }

private:
    static inline thread_local std::uint64_t count_ = 0;
};

// How the evaluator reads cells. References name cells by 1-based column and row; the id they
// stand for is the column letters followed by the row ("B12"). A reference whose letters run
// past the last column number (so the number saturates) is read by its id text instead.
class CellLookup {
public:
    virtual ~CellLookup() = default;
    virtual CellValue cell(std::uint32_t col, std::uint32_t row) const = 0;
    virtual CellValue cell_by_id(std::string_view id) const = 0;
    // The cells of `rows` x `cols` starting at (first_col, first_row), row-major, into `out`
    // (which holds that many Empty values). Reads them one by one with cell(), row by row;
    // a lookup may read whole blocks at once instead.
    virtual void read_block(std::uint32_t first_col, std::uint32_t first_row, std::uint32_t cols,
                            std::uint32_t rows, CellValue* out) const {
        for (std::uint32_t r = 0; r < rows; ++r) {
            for (std::uint32_t c = 0; c < cols; ++c) *out++ = cell(first_col + c, first_row + r);
        }
    }
};

// How the evaluator reads the whole array last spilled from an anchor; null when none is
// recorded. The array stays valid for the evaluation that asked for it.
class SpillResolver {
public:
    virtual ~SpillResolver() = default;
    virtual const ArrayValue* spilled(std::uint32_t col, std::uint32_t row) const = 0;
    virtual const ArrayValue* spilled_by_id(std::string_view id) const = 0;
};

}  // namespace orvel::core
