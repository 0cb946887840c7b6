// The formula operators over whole arrays: shape broadcasting, the seven binary operators, the
// six comparisons and the two signs.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "core/ast.h"
#include "core/expected.h"
#include "core/interfaces.h"
#include "core/registry.h"
#include "core/values.h"

namespace orvel::core {

using Shape = std::pair<std::uint32_t, std::uint32_t>;  // rows, cols

// The common shape of two operands: equal counts, or 1 stretched to the other count; a shape
// of more than kMaxCells cells fails with "<label> result exceeds 100000 cells".
Expected<Shape, FormulaError> broadcast_shape(std::uint32_t rows1, std::uint32_t cols1,
                                              std::uint32_t rows2, std::uint32_t cols2,
                                              std::string_view label);

// The arithmetic of the operators other than "&" on two numbers into `out`; false for a
// division by zero.
inline bool number_arithmetic(BinaryOpCode code, double a, double b, double& out) noexcept {
    switch (code) {
        case BinaryOpCode::Add: out = a + b; return true;
        case BinaryOpCode::Sub: out = a - b; return true;
        case BinaryOpCode::Mul: out = a * b; return true;
        case BinaryOpCode::Div:
            if (b == 0) return false;
            out = a / b;
            return true;
        case BinaryOpCode::Pow: out = std::pow(a, b); return true;
        case BinaryOpCode::Rem: out = std::fmod(a, b); return true;
        case BinaryOpCode::Concat: break;
    }
    return false;
}

// A binary operator applied element by element. `text_built`, when given, receives the bytes
// of text the operator built for its result ("&" and "+" joining texts).
Expected<ArrayValue, FormulaError> broadcast_binop(BinaryOpCode code, const ArrayValue& left,
                                                   const ArrayValue& right,
                                                   const Registry& registry,
                                                   std::size_t* text_built = nullptr);

// The binary operator on two single values: broadcast_binop of two 1 x 1 arrays, whose element
// error is a failure.
Expected<CellValue, FormulaError> scalar_binop(BinaryOpCode code, const CellValue& left,
                                               const CellValue& right, const Registry& registry,
                                               std::size_t* text_built = nullptr);

// A comparison applied element by element; booleans, or error values of the operands.
Expected<ArrayValue, FormulaError> broadcast_compare(CompareOp op, const ArrayValue& left,
                                                     const ArrayValue& right,
                                                     const Registry& registry);

// A comparison of two single values: broadcast_compare of two 1 x 1 arrays.
Expected<CellValue, FormulaError> scalar_compare(CompareOp op, const CellValue& left,
                                                 const CellValue& right,
                                                 const Registry& registry);

// Prefix "+" or "-" on one value; anything that is not a number becomes Empty.
Expected<CellValue, FormulaError> eval_unary_op(char op, const CellValue& value);

// The operator code of an operator character, or none for a character outside the seven.
std::optional<BinaryOpCode> binary_op_code(char op) noexcept;

}  // namespace orvel::core
