// IF, SEQUENCE, TRANSPOSE and FILTER.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/functions.h"
#include "core/limits.h"
#include "core/numeric_cast.h"
#include "core/value_rules.h"

namespace orvel::core {

namespace {

// The value at (row, col) of an argument stretched over a broadcast result: a dimension of 1
// repeats; an array without cells reads as Empty.
const CellValue& stretched_at(const ArrayValue& array, std::uint32_t row, std::uint32_t col) {
    static const CellValue kEmpty;
    if (array.empty()) return kEmpty;
    return array.at(array.rows() == 1 ? 0 : row, array.cols() == 1 ? 0 : col);
}

// The number of the first element of an optional argument, without handlers.
std::optional<double> first_number(std::span<const ArrayValue> args, std::size_t index) {
    if (index >= args.size() || args[index].empty()) return std::nullopt;
    return args[index].data()[0].as_number();
}

}  // namespace

ArrayResult fn_if_array(std::span<const ArrayValue> args, const Registry&) {
    const ArrayValue missing = ArrayValue::scalar(CellValue());
    const ArrayValue& condition = args.size() > 0 ? args[0] : missing;
    const ArrayValue& then_value = args.size() > 1 ? args[1] : missing;
    const ArrayValue& else_value = args.size() > 2 ? args[2] : missing;
    const ArrayValue* parts[] = {&condition, &then_value, &else_value};

    std::uint32_t rows = 0, cols = 0;
    for (const ArrayValue* part : parts) {
        rows = std::max(rows, part->rows());
        cols = std::max(cols, part->cols());
    }
    for (const ArrayValue* part : parts) {
        if (part->rows() != 1 && part->rows() != rows) {
            return unexpected(FormulaError::value("IF: incompatible rows"));
        }
    }
    for (const ArrayValue* part : parts) {
        if (part->cols() != 1 && part->cols() != cols) {
            return unexpected(FormulaError::value("IF: incompatible cols"));
        }
    }
    const std::uint64_t count = std::uint64_t{rows} * cols;
    if (count > kMaxCells) {
        return unexpected(
            FormulaError::size("IF: result exceeds " + std::to_string(kMaxCells) + " cells"));
    }
    std::vector<CellValue> out;
    out.reserve(static_cast<std::size_t>(count));
    for (std::uint32_t i = 0; count != 0 && i < rows; ++i) {
        for (std::uint32_t j = 0; j < cols; ++j) {
            bool pick_then = is_truthy(stretched_at(condition, i, j));
            out.push_back(stretched_at(pick_then ? then_value : else_value, i, j));
        }
    }
    return ArrayValue(rows, cols, std::move(out));
}

ArrayResult fn_sequence(std::span<const ArrayValue> args, const Registry&) {
    auto rows_arg = first_number(args, 0);
    if (!rows_arg) return unexpected(FormulaError::value("SEQUENCE: rows required"));
    const double cols_arg = first_number(args, 1).value_or(1.0);
    const double start = first_number(args, 2).value_or(1.0);
    const double step = first_number(args, 3).value_or(1.0);
    // NaN passes this test and then counts as 0 rows or columns.
    if (*rows_arg < 1 || cols_arg < 1) {
        return unexpected(FormulaError::value("SEQUENCE: rows and cols must be >= 1"));
    }
    const std::uint32_t rows = saturating_u32(*rows_arg);
    const std::uint32_t cols = saturating_u32(cols_arg);
    const std::uint64_t count = std::uint64_t{rows} * cols;
    if (count > kMaxCells) {
        return unexpected(
            FormulaError::size("SEQUENCE exceeds " + std::to_string(kMaxCells) + " cells"));
    }
    std::vector<CellValue> out;
    out.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t k = 0; k < count; ++k) {
        out.push_back(CellValue::number(start + step * static_cast<double>(k)));
    }
    return ArrayValue(rows, cols, std::move(out));
}

ArrayResult fn_transpose(std::span<const ArrayValue> args, const Registry&) {
    if (args.empty()) return unexpected(FormulaError::value("TRANSPOSE: array required"));
    const ArrayValue& array = args[0];
    if (array.is_scalar()) return array;
    std::vector<CellValue> out;
    out.reserve(array.size());
    for (std::uint32_t j = 0; !array.empty() && j < array.cols(); ++j) {
        for (std::uint32_t i = 0; i < array.rows(); ++i) out.push_back(array.at(i, j));
    }
    return ArrayValue(array.cols(), array.rows(), std::move(out));
}

ArrayResult fn_filter(std::span<const ArrayValue> args, const Registry&) {
    if (args.empty()) return unexpected(FormulaError::value("FILTER: array required"));
    if (args.size() == 1) return unexpected(FormulaError::value("FILTER: condition required"));
    const ArrayValue& array = args[0];
    const ArrayValue& condition = args[1];
    if (condition.rows() != array.rows() ||
        (condition.cols() != 1 && condition.cols() != array.cols())) {
        return unexpected(
            FormulaError::value("FILTER: condition shape must match array or be a column vector"));
    }
    std::vector<CellValue> out;
    std::uint32_t kept_rows = 0;
    if (condition.cols() == 1) {
        // The condition has one cell per row, so this loop is bounded by real cells.
        for (std::uint32_t i = 0; i < array.rows(); ++i) {
            if (!is_truthy(condition.at(i, 0))) continue;
            ++kept_rows;
            for (std::uint32_t j = 0; j < array.cols(); ++j) out.push_back(array.at(i, j));
        }
        if (kept_rows == 0) return ArrayValue::scalar(CellValue::error(ErrorKind::NotAvailable));
        return ArrayValue(kept_rows, array.cols(), std::move(out));
    }
    const CellValue* flag = condition.begin();
    for (const CellValue& value : array) {
        if (is_truthy(*flag++)) out.push_back(value);
    }
    if (out.empty()) return ArrayValue::scalar(CellValue::error(ErrorKind::NotAvailable));
    const auto kept = static_cast<std::uint32_t>(out.size());
    return ArrayValue(kept, 1, std::move(out));
}

}  // namespace orvel::core
