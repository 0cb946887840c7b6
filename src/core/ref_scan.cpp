#include "core/ref_scan.h"

#include <charconv>

#include "core/values.h"

namespace orvel::core {

namespace {

bool is_ascii_letter(char c) noexcept { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_ascii_digit(char c) noexcept { return c >= '0' && c <= '9'; }

// A Function token whose text is letters only: a whole-column end.
bool letters_only(std::string_view body, const RawToken& token) noexcept {
    std::string_view source = body.substr(token.byte_start, token.byte_end - token.byte_start);
    if (!source.empty() && source[0] == '$') source.remove_prefix(1);
    if (source.empty()) return false;
    for (char c : source) {
        if (!is_ascii_letter(c)) return false;
    }
    return true;
}

std::optional<std::uint32_t> read_u32(std::string_view digits) noexcept {
    std::uint32_t value = 0;
    const char* end = digits.data() + digits.size();
    auto res = std::from_chars(digits.data(), end, value);
    if (res.ec != std::errc() || res.ptr != end) return std::nullopt;
    return value;
}

bool is(const RawToken* token, TokenType kind) noexcept { return token && token->kind == kind; }

// A token's text (see token_text) without touching the heap when it is short, as nearly every
// reference is.
class TokenText {
public:
    TokenText(std::string_view body, const RawToken& token) {
        const std::string_view source =
            body.substr(token.byte_start, token.byte_end - token.byte_start);
        if (source.size() > sizeof short_) {
            long_ = token_text(token.kind, source);
            view_ = long_;
            return;
        }
        std::size_t n = 0;
        for (char c : source) {
            if (c != '$') short_[n++] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
        view_ = std::string_view(short_, n);
    }
    std::string_view view() const noexcept { return view_; }

private:
    char short_[32];
    std::string long_;
    std::string_view view_;
};

}  // namespace

std::string_view ref_kind_name(RefKind kind) noexcept {
    switch (kind) {
        case RefKind::Cell:
            return "cell";
        case RefKind::Range:
            return "range";
        case RefKind::WholeColumn:
            return "whole_column";
        case RefKind::WholeRow:
            return "whole_row";
        case RefKind::Name:
            return "name";
        case RefKind::Spill:
            return "spill";
    }
    return "";
}

std::optional<TokenRef> ReferenceScanner::next() {
    reader_.advance(consumed_);
    consumed_ = 0;
    const std::string_view body = reader_.body();
    while (const RawToken* token = reader_.peek()) {
        const RawToken* second = reader_.peek(1);
        const RawToken* third = is(second, TokenType::Colon) ? reader_.peek(2) : nullptr;
        auto found = [&](RefKind kind, const RawToken* last, std::size_t tokens) {
            consumed_ = tokens;
            return TokenRef{kind, token, last};
        };
        switch (token->kind) {
            case TokenType::Number:
                if (is(third, TokenType::Number)) return found(RefKind::WholeRow, third, 3);
                break;
            case TokenType::CellRef:
                if (is(third, TokenType::CellRef)) return found(RefKind::Range, third, 3);
                if (is(second, TokenType::Hash)) return found(RefKind::Spill, second, 2);
                return found(RefKind::Cell, token, 1);
            case TokenType::Function:
                if (is(third, TokenType::Function) && letters_only(body, *token) &&
                    letters_only(body, *third)) {
                    return found(RefKind::WholeColumn, third, 3);
                }
                if (!is(second, TokenType::LParen)) return found(RefKind::Name, token, 1);
                break;
            default:
                break;
        }
        reader_.advance();
    }
    return std::nullopt;
}

std::optional<ParsedRef> parse_ref(std::string_view text) noexcept {
    std::size_t digit = 0;
    while (digit < text.size() && !is_ascii_digit(text[digit])) ++digit;
    if (digit == 0 || digit == text.size()) return std::nullopt;
    const std::string_view letters = text.substr(0, digit);
    for (char c : letters) {
        if (!is_ascii_letter(c)) return std::nullopt;
    }
    auto row = read_u32(text.substr(digit));
    if (!row) return std::nullopt;
    return ParsedRef{letters, *row};
}

std::optional<CellIndex> cell_index(std::string_view body, const RawToken& cell_ref) {
    const TokenText text(body, cell_ref);
    auto ref = parse_ref(text.view());
    if (!ref || ref->row == 0) return std::nullopt;
    const std::uint32_t column = col_letters_to_index(ref->letters);
    if (column == UINT32_MAX) return std::nullopt;
    return CellIndex{column - 1, ref->row - 1};
}

std::optional<std::uint32_t> whole_row_index(std::string_view body, const RawToken& number) {
    auto row = read_u32(TokenText(body, number).view());
    if (!row || *row == 0) return std::nullopt;
    return *row - 1;
}

std::optional<std::uint32_t> whole_column_index(std::string_view body, const RawToken& letters) {
    const std::uint32_t column = col_letters_to_index(TokenText(body, letters).view());
    if (column == UINT32_MAX || column == 0) return std::nullopt;
    return column - 1;
}

Markers cell_markers(std::string_view body, const RawToken& cell_ref) noexcept {
    Markers markers;
    std::size_t at = cell_ref.byte_start;
    if (at < body.size() && body[at] == '$') {
        markers.col_absolute = true;
        ++at;
    }
    while (at < body.size() && is_ascii_letter(body[at])) ++at;
    markers.row_absolute = at < body.size() && body[at] == '$';
    return markers;
}

}  // namespace orvel::core
