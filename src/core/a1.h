// A1 notation for callers outside formulas: loose input (blanks, "$", lower case) in, 0-based
// positions out, with precise errors. Rows and columns are unsigned 32-bit, no grid limit below.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/expected.h"

namespace orvel::core::a1 {

// 0-based: "A1" is (0, 0), "B12" is (11, 1).
struct Position {
    std::uint32_t row = 0;
    std::uint32_t col = 0;
    friend bool operator==(const Position&, const Position&) = default;
};

struct ParsedRange {
    Position start;                        // top-left corner
    std::uint32_t end_col = 0;             // last column
    std::optional<std::uint32_t> end_row;  // none when the range is open downward
    std::string normalized;                // the input without blanks and "$", letters upper-cased
    bool unbounded() const noexcept { return !end_row.has_value(); }
};

enum class RangeParseErrorKind : std::uint8_t { Empty, UnknownShape, InvalidColumn, InvalidRow };

struct RangeParseError {
    RangeParseErrorKind kind;
    std::string text;  // the offending text of InvalidColumn and InvalidRow
    // "Empty: range string is empty", "InvalidRow: \"0\"" ...
    std::string display() const;
};

// Letters to a 0-based column ("A" 0, "az" 51), the text taken as it is.
Expected<std::uint32_t, RangeParseError> col_to_index(std::string_view letters);

// Upper-case letters of a 0-based column; the largest index gives the same letters as the one
// below it, whose 1-based number is already the largest unsigned 32-bit value.
std::string index_to_col(std::uint32_t index);

// Digits to a 1-based row; none for the empty text.
Expected<std::optional<std::uint32_t>, RangeParseError> parse_row_opt(std::string_view digits);

Expected<Position, RangeParseError> parse_cell_id(std::string_view text);
Expected<ParsedRange, RangeParseError> parse_range(std::string_view text);

// True when the text parses as a range that is open downward; false for every error.
bool is_unbounded_range(std::string_view text);

// "B12" for (11, 1). The row is written from 64 bits, so the last row keeps its own number.
std::string format_cell_id(std::uint32_t row, std::uint32_t col);

}  // namespace orvel::core::a1
