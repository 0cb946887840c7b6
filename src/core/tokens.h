// Token classes for colouring a formula while it is typed: spans that tile the formula after its
// "=", each with a class. Text the lexer cannot read ends in one "unknown" span.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace orvel::core {

enum class TokenClass : std::uint8_t {
    Number,
    String,
    Boolean,
    CellRef,
    Range,
    Name,
    Function,
    Operator,
    Paren,
    Comma,
    Whitespace,
    Unknown,
};

// "number", "string", "boolean", "cell_ref", "range", "name", "function", "operator", "paren",
// "comma", "whitespace", "unknown".
std::string_view token_class_name(TokenClass kind) noexcept;

// Character positions in the formula, whose "=" is position 0; `end` is one past the span.
struct TokenSpan {
    std::uint32_t start;
    std::uint32_t end;
    TokenClass kind;
    friend bool operator==(const TokenSpan&, const TokenSpan&) = default;
};

// Spans in text order; none for text that is empty or does not start with "=". Never fails.
std::vector<TokenSpan> formula_tokens(std::string_view formula);

}  // namespace orvel::core
