#include "core/tokens.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "core/token_reader.h"

namespace orvel::core {

namespace {

// Column letters, with or without "$": the text of such a Function token is letters only.
bool letters_only(std::string_view source) noexcept {
    if (!source.empty() && source[0] == '$') source.remove_prefix(1);
    if (source.empty()) return false;
    for (char c : source) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    }
    return true;
}

// Two ends that read as one range: numbers (rows), cells, or column letters.
bool range_ends(const TokenReader& reader, const RawToken& first, const RawToken& second) noexcept {
    if (first.kind != second.kind) return false;
    switch (first.kind) {
        case TokenType::Number:
        case TokenType::CellRef:
            return true;
        case TokenType::Function:
            return letters_only(reader.source(first)) && letters_only(reader.source(second));
        default:
            return false;
    }
}

TokenClass class_of(const RawToken& token, const RawToken* next) noexcept {
    switch (token.kind) {
        case TokenType::Number:
            return TokenClass::Number;
        case TokenType::String:
            return TokenClass::String;
        case TokenType::Boolean:
            return TokenClass::Boolean;
        case TokenType::CellRef:
            return TokenClass::CellRef;
        case TokenType::Function:
            return next && next->kind == TokenType::LParen ? TokenClass::Function
                                                           : TokenClass::Name;
        case TokenType::Operator:
        case TokenType::Colon:
        case TokenType::Hash:
            return TokenClass::Operator;
        case TokenType::LParen:
        case TokenType::RParen:
        case TokenType::LBrace:
        case TokenType::RBrace:
            return TokenClass::Paren;
        case TokenType::Comma:
        case TokenType::Semicolon:
            return TokenClass::Comma;
        case TokenType::Eof:
            break;
    }
    return TokenClass::Unknown;
}

// Collects spans given in body positions (the "=" not counted).
class SpanList {
public:
    explicit SpanList(std::size_t expected) { spans_.reserve(expected); }
    void add(std::size_t from, std::size_t to, TokenClass kind) {
        spans_.push_back(
            {static_cast<std::uint32_t>(from + 1), static_cast<std::uint32_t>(to + 1), kind});
    }
    std::vector<TokenSpan> take() && { return std::move(spans_); }

private:
    std::vector<TokenSpan> spans_;
};

}  // namespace

std::string_view token_class_name(TokenClass kind) noexcept {
    switch (kind) {
        case TokenClass::Number:
            return "number";
        case TokenClass::String:
            return "string";
        case TokenClass::Boolean:
            return "boolean";
        case TokenClass::CellRef:
            return "cell_ref";
        case TokenClass::Range:
            return "range";
        case TokenClass::Name:
            return "name";
        case TokenClass::Function:
            return "function";
        case TokenClass::Operator:
            return "operator";
        case TokenClass::Paren:
            return "paren";
        case TokenClass::Comma:
            return "comma";
        case TokenClass::Whitespace:
            return "whitespace";
        case TokenClass::Unknown:
            return "unknown";
    }
    return "";
}

std::vector<TokenSpan> formula_tokens(std::string_view formula) {
    // Spans hold 32-bit positions; a longer text has no representable spans.
    if (formula.empty() || formula[0] != '=' || formula.size() > UINT32_MAX) return {};
    TokenReader reader(formula.substr(1));
    // A span per two or three characters is typical; the cap keeps long texts from
    // reserving much more than they need.
    SpanList spans(std::min<std::size_t>(formula.size() / 2 + 1, 64));
    std::size_t cursor = 0;
    while (const RawToken* token = reader.peek()) {
        if (token->position > cursor) spans.add(cursor, token->position, TokenClass::Whitespace);
        const RawToken* next = reader.peek(1);
        const RawToken* third = next && next->kind == TokenType::Colon ? reader.peek(2) : nullptr;
        if (third && range_ends(reader, *token, *third)) {
            cursor = third->position + third->length;
            spans.add(token->position, cursor, TokenClass::Range);
            reader.advance(3);
            continue;
        }
        cursor = token->position + token->length;
        spans.add(token->position, cursor, class_of(*token, next));
        reader.advance();
    }
    const std::size_t body_end = reader.body_chars();
    if (reader.failed()) {
        const std::size_t at = reader.error_position();
        if (at > cursor) spans.add(cursor, at, TokenClass::Whitespace);
        if (at < body_end) spans.add(at, body_end, TokenClass::Unknown);
    } else if (cursor < body_end) {
        spans.add(cursor, body_end, TokenClass::Whitespace);
    }
    return std::move(spans).take();
}

}  // namespace orvel::core
