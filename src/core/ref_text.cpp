#include "core/ref_text.h"

#include <charconv>

#include "core/values.h"

namespace orvel::core {

void append_column(std::string& out, std::uint32_t col) { append_col_letters(out, col + 1); }

void append_row(std::string& out, std::uint32_t row) {
    char digits[16];
    auto res = std::to_chars(digits, digits + sizeof digits, row + 1);
    out.append(digits, res.ptr);
}

void append_cell(std::string& out, CellIndex cell, Markers markers) {
    if (markers.col_absolute) out += '$';
    append_column(out, cell.col);
    if (markers.row_absolute) out += '$';
    append_row(out, cell.row);
}

}  // namespace orvel::core
