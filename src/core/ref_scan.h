// Finding references among a formula's tokens, and reading the cells and row or column numbers
// they name. Shared by extraction and by every rewriting that works through the lexer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/lexer.h"
#include "core/token_reader.h"

namespace orvel::core {

enum class RefKind : std::uint8_t { Cell, Range, WholeColumn, WholeRow, Name, Spill };

// "cell", "range", "whole_column", "whole_row", "name", "spill".
std::string_view ref_kind_name(RefKind kind) noexcept;

// A reference among the tokens: its first and last token (the same one for a cell or a name;
// the "#" for a spill; the second end for the two-ended kinds).
struct TokenRef {
    RefKind kind;
    const RawToken* first;
    const RawToken* last;
};

// Walks the references of a formula body (the text after "=") in text order. Function names
// and every other token are passed over.
class ReferenceScanner {
public:
    explicit ReferenceScanner(std::string_view body) noexcept : reader_(body) {}

    // The next reference; none at the end or at a lexer error. Its token pointers stay valid
    // until the next call.
    std::optional<TokenRef> next();
    // True when the lexer rejected the body: whatever was found is then void.
    bool failed() const noexcept { return reader_.failed(); }

private:
    TokenReader reader_;
    std::size_t consumed_ = 0;  // tokens of the reference returned last
};

// The text of a CellRef token split into its letters and row. Row 0 is accepted.
struct ParsedRef {
    std::string_view letters;
    std::uint32_t row;
};
std::optional<ParsedRef> parse_ref(std::string_view text) noexcept;

// Everything below reads a token from `body`, the formula text after "=" that was lexed.

// The token's text as the lexer gives it (upper case, without "$").
inline std::string text_of(std::string_view body, const RawToken& token) {
    return token_text(token.kind, body.substr(token.byte_start, token.byte_end - token.byte_start));
}

// 0-based column and row of a cell reference. None for text parse_ref refuses, for row 0 and
// for a column number that saturated: such a reference names no cell of the grid.
struct CellIndex {
    std::uint32_t col;
    std::uint32_t row;
};
std::optional<CellIndex> cell_index(std::string_view body, const RawToken& cell_ref);

// 0-based row of a whole-row end; none when its digits do not read or read 0.
std::optional<std::uint32_t> whole_row_index(std::string_view body, const RawToken& number);
// 0-based column of a whole-column end; none when its letters saturated.
std::optional<std::uint32_t> whole_column_index(std::string_view body, const RawToken& letters);

// Which parts of a reference carry "$", read from the formula's own characters.
struct Markers {
    bool col_absolute = false;
    bool row_absolute = false;
};
Markers cell_markers(std::string_view body, const RawToken& cell_ref) noexcept;
inline bool starts_with_dollar(std::string_view body, const RawToken& token) noexcept {
    return token.byte_start < body.size() && body[token.byte_start] == '$';
}

// Positions in the whole formula, whose "=" is position 0.
inline std::size_t formula_start(const RawToken& token) noexcept { return token.position + 1; }
inline std::size_t formula_end(const RawToken& token) noexcept {
    return token.position + token.length + 1;
}

}  // namespace orvel::core
