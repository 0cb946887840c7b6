// The formula parser: recursive descent over the lexer's tokens, one function per precedence
// level, building a tree in an arena.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/ast.h"
#include "core/expected.h"
#include "core/lexer.h"

namespace orvel::core {

// Message of a formula nested deeper than kMaxNestingDepth.
std::string nesting_limit_message();

class Parser {
public:
    // Parses a formula (one leading "=" is skipped) into a tree, or returns the error message.
    static Expected<Ast, std::string> parse(std::string_view text);

    // Splits a CellRef token's text into its letters and row.
    static Expected<std::pair<std::string_view, std::uint32_t>, std::string> parse_cell_ref(
        std::string_view text);

private:
    using Result = Expected<const AstNode*, std::string>;

    explicit Parser(std::vector<Token> tokens) noexcept : tokens_(std::move(tokens)) {}

    const Token& current() const noexcept;
    const Token& peek(std::size_t ahead) const noexcept;
    bool at_operator(std::initializer_list<std::string_view> ops) const noexcept;
    Expected<const Token*, std::string> consume(TokenType expected);
    const Token& take() noexcept;

    Result parse_expression();
    Result parse_concat();
    Result parse_additive();
    Result parse_multiplicative();
    Result parse_power();
    Result parse_unary();
    Result parse_primary();
    Result parse_cell_or_range();
    Result parse_identifier();
    Result parse_array_literal();
    Result parse_nested_expression();

    const AstNode* binary(char op, const AstNode* left, const AstNode* right);
    AstNode* ref_node(NodeKind kind, std::string_view letters, std::uint32_t row);

    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    std::size_t depth_ = 0;
    AstArena arena_;
};

}  // namespace orvel::core
