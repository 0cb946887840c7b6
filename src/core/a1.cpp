#include "core/a1.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <charconv>
#include <utility>

#include "core/debug_quote.h"
#include "core/values.h"

namespace orvel::core::a1 {

namespace {

bool is_ascii_letter(char c) noexcept { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_ascii_digit(char c) noexcept { return c >= '0' && c <= '9'; }

Unexpected<RangeParseError> fail(RangeParseErrorKind kind, std::string_view text = {}) {
    return unexpected(RangeParseError{kind, std::string(text)});
}

// Drops white space and "$", upper-cases ASCII letters; every other character stays as it is.
std::string normalize(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int64_t>(text.size());
    std::int64_t i = 0;
    while (i < length) {
        const std::int64_t from = i;
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c == '$' || (c >= 0 && u_isUWhiteSpace(c))) continue;
        if (c >= 'a' && c <= 'z') {
            out += static_cast<char>(c - 'a' + 'A');
        } else {
            out.append(
                text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(i - from)));
        }
    }
    return out;
}

// The leading run of ASCII letters and the rest.
std::pair<std::string_view, std::string_view> split_letters(std::string_view part) noexcept {
    std::size_t n = 0;
    while (n < part.size() && is_ascii_letter(part[n])) ++n;
    return {part.substr(0, n), part.substr(n)};
}

}  // namespace

std::string RangeParseError::display() const {
    switch (kind) {
        case RangeParseErrorKind::Empty:
            return "Empty: range string is empty";
        case RangeParseErrorKind::UnknownShape:
            return "UnknownShape: input does not match any supported range form";
        case RangeParseErrorKind::InvalidColumn: {
            std::string out = "InvalidColumn: ";
            append_debug_quoted(out, text);
            return out;
        }
        case RangeParseErrorKind::InvalidRow: {
            std::string out = "InvalidRow: ";
            append_debug_quoted(out, text);
            return out;
        }
    }
    return {};
}

Expected<std::uint32_t, RangeParseError> col_to_index(std::string_view letters) {
    if (letters.empty()) return fail(RangeParseErrorKind::InvalidColumn, letters);
    std::uint64_t n = 0;
    for (char c : letters) {
        if (!is_ascii_letter(c)) return fail(RangeParseErrorKind::InvalidColumn, letters);
        const char upper = c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c;
        n = n * 26 + static_cast<std::uint64_t>(upper - 'A' + 1);
        if (n > UINT32_MAX) return fail(RangeParseErrorKind::InvalidColumn, letters);
    }
    return static_cast<std::uint32_t>(n - 1);
}

std::string index_to_col(std::uint32_t index) {
    return core::index_to_col(index == UINT32_MAX ? index : index + 1);
}

Expected<std::optional<std::uint32_t>, RangeParseError> parse_row_opt(std::string_view digits) {
    if (digits.empty()) return std::optional<std::uint32_t>();
    if (!std::all_of(digits.begin(), digits.end(), is_ascii_digit)) {
        return fail(RangeParseErrorKind::UnknownShape);
    }
    std::uint32_t row = 0;
    auto res = std::from_chars(digits.data(), digits.data() + digits.size(), row);
    if (res.ec != std::errc() || row == 0) return fail(RangeParseErrorKind::InvalidRow, digits);
    return std::optional<std::uint32_t>(row);
}

Expected<Position, RangeParseError> parse_cell_id(std::string_view text) {
    const std::string normalized = normalize(text);
    if (normalized.empty()) return fail(RangeParseErrorKind::Empty);
    if (normalized.find(':') != std::string::npos) return fail(RangeParseErrorKind::UnknownShape);
    auto [letters, row_text] = split_letters(normalized);
    if (letters.empty()) return fail(RangeParseErrorKind::UnknownShape);
    auto row = parse_row_opt(row_text);
    if (!row) return unexpected(std::move(row).error());
    if (!row->has_value()) return fail(RangeParseErrorKind::UnknownShape);
    auto col = col_to_index(letters);
    if (!col) return unexpected(std::move(col).error());
    return Position{**row - 1, *col};
}

Expected<ParsedRange, RangeParseError> parse_range(std::string_view text) {
    std::string normalized = normalize(text);
    if (normalized.empty()) return fail(RangeParseErrorKind::Empty);
    const std::string_view whole = normalized;
    const std::size_t colon = whole.find(':');
    if (colon == std::string_view::npos || whole.find(':', colon + 1) != std::string_view::npos) {
        return fail(RangeParseErrorKind::UnknownShape);
    }
    const std::string_view first = whole.substr(0, colon), second = whole.substr(colon + 1);
    if (first.empty() || second.empty()) return fail(RangeParseErrorKind::UnknownShape);
    auto [letters1, row_text1] = split_letters(first);
    auto [letters2, row_text2] = split_letters(second);
    if (letters1.empty() || letters2.empty()) return fail(RangeParseErrorKind::UnknownShape);

    auto row1 = parse_row_opt(row_text1);
    if (!row1) return unexpected(std::move(row1).error());
    auto row2 = parse_row_opt(row_text2);
    if (!row2) return unexpected(std::move(row2).error());
    auto col1 = col_to_index(letters1);
    if (!col1) return unexpected(std::move(col1).error());
    auto col2 = col_to_index(letters2);
    if (!col2) return unexpected(std::move(col2).error());

    ParsedRange range;
    if (row1->has_value() && row2->has_value()) {
        range.start.row = std::min(**row1, **row2) - 1;
        range.end_row = std::max(**row1, **row2) - 1;
    } else if (row1->has_value()) {
        range.start.row = **row1 - 1;
    } else if (row2->has_value()) {
        return fail(RangeParseErrorKind::UnknownShape);
    }
    range.start.col = std::min(*col1, *col2);
    range.end_col = std::max(*col1, *col2);
    range.normalized = std::move(normalized);
    return range;
}

bool is_unbounded_range(std::string_view text) {
    auto range = parse_range(text);
    return range && range->unbounded();
}

std::string format_cell_id(std::uint32_t row, std::uint32_t col) {
    std::string out = index_to_col(col);
    char digits[24];
    auto res = std::to_chars(digits, digits + sizeof digits, std::uint64_t{row} + 1);
    out.append(digits, res.ptr);
    return out;
}

}  // namespace orvel::core::a1
