#include "core/shift.h"

#include <charconv>
#include <cstddef>
#include <optional>
#include <utility>

#include "core/values.h"

namespace orvel::core {

namespace {

bool is_letter(char c) noexcept { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }
bool is_word(char c) noexcept { return is_letter(c) || is_digit(c) || c == '_'; }

// A run of letters read as a 1-based column, upper and lower case alike; none past 32 bits.
struct Letters {
    std::size_t end;
    std::optional<std::uint32_t> column;
};
Letters read_letters(std::string_view s, std::size_t at) noexcept {
    std::uint64_t n = 0;
    bool overflow = false;
    for (; at < s.size() && is_letter(s[at]); ++at) {
        const char upper = s[at] >= 'a' ? static_cast<char>(s[at] - 'a' + 'A') : s[at];
        if (!overflow) n = n * 26 + static_cast<std::uint64_t>(upper - 'A' + 1);
        overflow = overflow || n > UINT32_MAX;
    }
    if (overflow) return {at, std::nullopt};
    return {at, static_cast<std::uint32_t>(n)};
}

// A run of digits as an unsigned 32-bit number; none when it is too large.
struct Digits {
    std::size_t end;
    std::optional<std::uint32_t> value;
};
Digits read_digits(std::string_view s, std::size_t at) noexcept {
    std::size_t end = at;
    while (end < s.size() && is_digit(s[end])) ++end;
    std::uint32_t value = 0;
    auto res = std::from_chars(s.data() + at, s.data() + end, value);
    if (res.ec != std::errc()) return {end, std::nullopt};
    return {end, value};
}

struct Component {
    std::uint32_t value;
    bool absolute;
};

struct Cell {
    std::size_t end;
    Component col;
    Component row;
};

// "$"? letters "$"? digits, not followed by a letter or "_"; the column and row fit 32 bits and
// the row is not 0.
std::optional<Cell> parse_cell(std::string_view s, std::size_t at) noexcept {
    const bool col_absolute = at < s.size() && s[at] == '$';
    if (col_absolute) ++at;
    if (at >= s.size() || !is_letter(s[at])) return std::nullopt;
    const Letters letters = read_letters(s, at);
    at = letters.end;
    const bool row_absolute = at < s.size() && s[at] == '$';
    if (row_absolute) ++at;
    if (at >= s.size() || !is_digit(s[at])) return std::nullopt;
    const Digits digits = read_digits(s, at);
    at = digits.end;
    if (at < s.size() && (is_letter(s[at]) || s[at] == '_')) return std::nullopt;
    if (!letters.column || !digits.value || *digits.value == 0) return std::nullopt;
    return Cell{at, {*letters.column, col_absolute}, {*digits.value, row_absolute}};
}

struct Line {
    std::size_t end;
    Component index;
};

// A whole-row end: "$"? digits, not followed by ".", a letter or "_", from 1 to UINT32_MAX.
std::optional<Line> parse_row_num(std::string_view s, std::size_t at) noexcept {
    const bool absolute = at < s.size() && s[at] == '$';
    if (absolute) ++at;
    if (at >= s.size() || !is_digit(s[at])) return std::nullopt;
    const Digits digits = read_digits(s, at);
    at = digits.end;
    if (at < s.size() && (s[at] == '.' || is_letter(s[at]) || s[at] == '_')) return std::nullopt;
    if (!digits.value || *digits.value == 0) return std::nullopt;
    return Line{at, {*digits.value, absolute}};
}

// A whole-column end: "$"? letters, not followed by a digit or "_", within 32 bits.
std::optional<Line> parse_col_letters(std::string_view s, std::size_t at) noexcept {
    const bool absolute = at < s.size() && s[at] == '$';
    if (absolute) ++at;
    if (at >= s.size() || !is_letter(s[at])) return std::nullopt;
    const Letters letters = read_letters(s, at);
    at = letters.end;
    if (at < s.size() && (is_digit(s[at]) || s[at] == '_')) return std::nullopt;
    if (!letters.column) return std::nullopt;
    return Line{at, {*letters.column, absolute}};
}

// Two whole-row or whole-column ends joined by ":" with no blank between.
using LineParser = std::optional<Line> (*)(std::string_view, std::size_t) noexcept;
std::optional<std::pair<Line, Line>> parse_pair(std::string_view s, std::size_t at,
                                                LineParser parse) noexcept {
    auto first = parse(s, at);
    if (!first || first->end >= s.size() || s[first->end] != ':') return std::nullopt;
    auto second = parse(s, first->end + 1);
    if (!second) return std::nullopt;
    return std::pair{*first, *second};
}

class Shifter {
public:
    Shifter(std::string_view body, std::int32_t d_row, std::int32_t d_col, std::uint32_t max_row,
            std::uint32_t max_col) noexcept
        : body_(body), d_row_(d_row), d_col_(d_col), max_row_(max_row), max_col_(max_col) {}

    std::string run() {
        out_.reserve(body_.size() + 5);
        out_ += '=';
        std::size_t at = 0;
        while (at < body_.size()) at = step(at);
        return std::move(out_);
    }

private:
    // Handles what starts at `at` and returns where the next piece starts.
    std::size_t step(std::size_t at) {
        const char c = body_[at];
        if (c == '"' || c == '\'') {
            const std::size_t close = body_.find(c, at + 1);
            const std::size_t end = close == std::string_view::npos ? body_.size() : close + 1;
            return copy(at, end);
        }
        if (c != '$' && !is_letter(c) && !is_digit(c)) return copy(at, at + 1);
        if (c != '$' && !is_letter(c)) {
            if (auto rows = parse_pair(body_, at, parse_row_num)) return emit_rows(at, *rows);
            return copy(at, word_end(at));
        }
        if (auto cell = parse_cell(body_, at)) return emit_cell_reference(at, *cell);
        if (auto cols = parse_pair(body_, at, parse_col_letters)) return emit_cols(at, *cols);
        if (c == '$') {
            // "$" on whole-row ends: an absolute row stays, as in a cell reference.
            if (auto rows = parse_pair(body_, at, parse_row_num)) return emit_rows(at, *rows);
            return copy(at, at + 1);
        }
        return copy(at, word_end(at));
    }

    std::size_t emit_cell_reference(std::size_t at, const Cell& cell) {
        const std::size_t after = cell.end;
        if (after < body_.size() && body_[after] == ':') {
            if (auto second = parse_cell(body_, after + 1)) return emit_range(at, cell, *second);
        }
        const bool spill = after < body_.size() && body_[after] == '#';
        const std::size_t end = spill ? after + 1 : after;
        auto col = shift(cell.col, d_col_, max_col_);
        auto row = shift(cell.row, d_row_, max_row_);
        if (!col || !row) {
            out_ += "#REF!";
        } else if (col->value == cell.col.value && row->value == cell.row.value) {
            copy(at, end);
        } else {
            write_cell(*col, *row);
            if (spill) out_ += '#';
        }
        return end;
    }

    std::size_t emit_range(std::size_t at, const Cell& a, const Cell& b) {
        auto a_col = shift(a.col, d_col_, max_col_), a_row = shift(a.row, d_row_, max_row_);
        auto b_col = shift(b.col, d_col_, max_col_), b_row = shift(b.row, d_row_, max_row_);
        if (!a_col || !a_row || !b_col || !b_row) {
            out_ += "#REF!";
        } else if (a_col->value == a.col.value && a_row->value == a.row.value &&
                   b_col->value == b.col.value && b_row->value == b.row.value) {
            copy(at, b.end);
        } else {
            write_cell(*a_col, *a_row);
            out_ += ':';
            write_cell(*b_col, *b_row);
        }
        return b.end;
    }

    std::size_t emit_cols(std::size_t at, const std::pair<Line, Line>& cols) {
        return emit_lines(at, cols, d_col_, max_col_,
                          [this](std::uint32_t col) { append_col_letters(out_, col); });
    }

    std::size_t emit_rows(std::size_t at, const std::pair<Line, Line>& rows) {
        return emit_lines(at, rows, d_row_, max_row_,
                          [this](std::uint32_t row) { append_number(row); });
    }

    template <class Write>
    std::size_t emit_lines(std::size_t at, const std::pair<Line, Line>& ends, std::int32_t delta,
                           std::uint32_t limit, Write write) {
        auto first = shift(ends.first.index, delta, limit);
        auto second = shift(ends.second.index, delta, limit);
        const std::size_t end = ends.second.end;
        if (!first || !second) {
            out_ += "#REF!";
        } else if (first->value == ends.first.index.value &&
                   second->value == ends.second.index.value) {
            copy(at, end);
        } else {
            if (first->absolute) out_ += '$';
            write(first->value);
            out_ += ':';
            if (second->absolute) out_ += '$';
            write(second->value);
        }
        return end;
    }

    // An absolute part keeps its value wherever it lies; a relative one must land on the grid.
    static std::optional<Component> shift(Component part, std::int32_t delta,
                                          std::uint32_t limit) noexcept {
        if (part.absolute) return part;
        const std::int64_t moved = std::int64_t{part.value} + delta;
        if (moved < 1 || moved > std::int64_t{limit}) return std::nullopt;
        return Component{static_cast<std::uint32_t>(moved), false};
    }

    void write_cell(Component col, Component row) {
        if (col.absolute) out_ += '$';
        append_col_letters(out_, col.value);
        if (row.absolute) out_ += '$';
        append_number(row.value);
    }

    void append_number(std::uint32_t n) {
        char digits[16];
        auto res = std::to_chars(digits, digits + sizeof digits, n);
        out_.append(digits, res.ptr);
    }

    std::size_t copy(std::size_t from, std::size_t to) {
        out_.append(body_.substr(from, to - from));
        return to;
    }

    std::size_t word_end(std::size_t at) const noexcept {
        while (at < body_.size() && is_word(body_[at])) ++at;
        return at;
    }

    std::string_view body_;
    std::int32_t d_row_, d_col_;
    std::uint32_t max_row_, max_col_;
    std::string out_;
};

}  // namespace

std::string shift_formula_refs(std::string_view formula, std::int32_t d_row, std::int32_t d_col,
                               std::uint32_t max_row, std::uint32_t max_col) {
    if (formula.empty() || formula[0] != '=' || (d_row == 0 && d_col == 0) || max_row == 0 ||
        max_col == 0) {
        return std::string(formula);
    }
    return Shifter(formula.substr(1), d_row, d_col, max_row, max_col).run();
}

}  // namespace orvel::core
