#include "core/parser.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "core/builtins.h"
#include "core/limits.h"
#include "core/number_text.h"
#include "core/values.h"

namespace orvel::core {

namespace {

const Token& eof_token() {
    static const Token eof;
    return eof;
}

bool is_ascii_letters(std::string_view s) noexcept {
    if (s.empty()) return false;
    for (char c : s) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    }
    return true;
}

std::optional<std::uint32_t> parse_u32(std::string_view s) noexcept {
    if (s.empty()) return std::nullopt;
    std::uint32_t value = 0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), value);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return std::nullopt;
    return value;
}

std::string unexpected_token_with_kind(const Token& t) {
    std::string message = "Unexpected token: ";
    message += token_type_name(t.kind);
    message += " (";
    message += t.text;
    message += ')';
    return message;
}

// Counts one level of nesting for the lifetime of the guard.
class DepthGuard {
public:
    explicit DepthGuard(std::size_t& depth) noexcept : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    bool exceeded() const noexcept { return depth_ > kMaxNestingDepth; }

private:
    std::size_t& depth_;
};

}  // namespace

std::string nesting_limit_message() {
    return "Formula is nested too deeply (more than " + std::to_string(kMaxNestingDepth) +
           " levels)";
}

Expected<Ast, std::string> Parser::parse(std::string_view text) {
    if (!text.empty() && text.front() == '=') text.remove_prefix(1);
    Lexer lexer(text);
    auto tokens = lexer.tokenize();
    if (!tokens) return unexpected(std::move(tokens).error());
    Parser parser(std::move(tokens).value());
    auto root = parser.parse_expression();
    if (!root) return unexpected(std::move(root).error());
    if (parser.current().kind != TokenType::Eof) {
        return unexpected("Unexpected token: " + parser.current().text);
    }
    return Ast(std::move(parser.arena_), *root);
}

Expected<std::pair<std::string_view, std::uint32_t>, std::string> Parser::parse_cell_ref(
    std::string_view text) {
    std::size_t digit = text.find_first_of("0123456789");
    if (digit != std::string_view::npos) {
        if (auto row = parse_u32(text.substr(digit))) {
            return std::pair{text.substr(0, digit), *row};
        }
    }
    return unexpected("Invalid cell reference: " + std::string(text));
}

const Token& Parser::current() const noexcept {
    return pos_ < tokens_.size() ? tokens_[pos_] : eof_token();
}

const Token& Parser::peek(std::size_t ahead) const noexcept {
    return pos_ + ahead < tokens_.size() ? tokens_[pos_ + ahead] : eof_token();
}

const Token& Parser::take() noexcept {
    const Token& t = current();
    ++pos_;
    return t;
}

bool Parser::at_operator(std::initializer_list<std::string_view> ops) const noexcept {
    const Token& t = current();
    if (t.kind != TokenType::Operator) return false;
    for (auto op : ops) {
        if (t.text == op) return true;
    }
    return false;
}

Expected<const Token*, std::string> Parser::consume(TokenType expected) {
    const Token& t = current();
    if (t.kind != expected) {
        std::string message = "Expected ";
        message += token_type_name(expected);
        message += " but got ";
        message += token_type_name(t.kind);
        return unexpected(std::move(message));
    }
    ++pos_;
    return &t;
}

const AstNode* Parser::binary(char op, const AstNode* left, const AstNode* right) {
    AstNode* node = arena_.new_node(NodeKind::BinaryOp);
    node->op = op;
    auto** children = arena_.new_child_list(2);
    children[0] = left;
    children[1] = right;
    node->child_list = children;
    node->child_count = 2;
    return node;
}

Parser::Result Parser::parse_nested_expression() {
    DepthGuard guard(depth_);
    if (guard.exceeded()) return unexpected(nesting_limit_message());
    return parse_expression();
}

Parser::Result Parser::parse_expression() {
    auto left = parse_concat();
    if (!left) return left;
    const AstNode* node = *left;
    while (at_operator({"=", "<>", "<", "<=", ">", ">="})) {
        std::string_view op = take().text;
        CompareOp code = op == "="    ? CompareOp::Eq
                         : op == "<>" ? CompareOp::Ne
                         : op == "<"  ? CompareOp::Lt
                         : op == "<=" ? CompareOp::Le
                         : op == ">"  ? CompareOp::Gt
                                      : CompareOp::Ge;
        auto right = parse_concat();
        if (!right) return right;
        AstNode* cmp = arena_.new_node(NodeKind::Compare);
        cmp->compare = code;
        auto** children = arena_.new_child_list(2);
        children[0] = node;
        children[1] = *right;
        cmp->child_list = children;
        cmp->child_count = 2;
        node = cmp;
    }
    return node;
}

Parser::Result Parser::parse_concat() {
    auto left = parse_additive();
    if (!left) return left;
    const AstNode* node = *left;
    while (at_operator({"&"})) {
        take();
        auto right = parse_additive();
        if (!right) return right;
        node = binary('&', node, *right);
    }
    return node;
}

Parser::Result Parser::parse_additive() {
    auto left = parse_multiplicative();
    if (!left) return left;
    const AstNode* node = *left;
    while (at_operator({"+", "-"})) {
        char op = take().text[0];
        auto right = parse_multiplicative();
        if (!right) return right;
        node = binary(op, node, *right);
    }
    return node;
}

Parser::Result Parser::parse_multiplicative() {
    auto left = parse_power();
    if (!left) return left;
    const AstNode* node = *left;
    while (at_operator({"*", "/", "%"})) {
        char op = take().text[0];
        auto right = parse_power();
        if (!right) return right;
        node = binary(op, node, *right);
    }
    return node;
}

Parser::Result Parser::parse_power() {
    auto left = parse_unary();
    if (!left) return left;
    const AstNode* node = *left;
    while (at_operator({"^"})) {
        take();
        auto right = parse_unary();
        if (!right) return right;
        node = binary('^', node, *right);
    }
    return node;
}

Parser::Result Parser::parse_unary() {
    if (!at_operator({"+", "-"})) return parse_primary();
    char op = take().text[0];
    DepthGuard guard(depth_);
    if (guard.exceeded()) return unexpected(nesting_limit_message());
    auto operand = parse_unary();
    if (!operand) return operand;
    AstNode* node = arena_.new_node(NodeKind::UnaryOp);
    node->op = op;
    auto** children = arena_.new_child_list(1);
    children[0] = *operand;
    node->child_list = children;
    node->child_count = 1;
    return node;
}

AstNode* Parser::ref_node(NodeKind kind, std::string_view letters, std::uint32_t row) {
    AstNode* node = arena_.new_node(kind);
    node->text = arena_.store(letters);
    node->col = col_letters_to_index(letters);
    node->row = row;
    return node;
}

Parser::Result Parser::parse_primary() {
    const Token& t = current();
    switch (t.kind) {
        case TokenType::Number: {
            take();
            if (current().kind == TokenType::Colon && peek(1).kind == TokenType::Number) {
                auto start = parse_u32(t.text);
                if (!start) return unexpected("Invalid row number: " + t.text);
                take();
                const Token& end_token = take();
                auto end = parse_u32(end_token.text);
                if (!end) return unexpected("Invalid row number: " + end_token.text);
                AstNode* node = arena_.new_node(NodeKind::RowRange);
                node->row = *start;
                node->row2 = *end;
                return node;
            }
            auto value = parse_decimal(t.text);
            if (!value) return unexpected("Invalid number: " + t.text);
            AstNode* node = arena_.new_node(NodeKind::Number);
            node->number = *value;
            return node;
        }
        case TokenType::String: {
            take();
            AstNode* node = arena_.new_node(NodeKind::Text);
            node->text = arena_.store(t.text);
            return node;
        }
        case TokenType::Boolean: {
            take();
            AstNode* node = arena_.new_node(NodeKind::Boolean);
            node->boolean = t.text == "TRUE";
            return node;
        }
        case TokenType::CellRef: return parse_cell_or_range();
        case TokenType::Function: return parse_identifier();
        case TokenType::LParen: {
            take();
            auto inner = parse_nested_expression();
            if (!inner) return inner;
            if (auto closed = consume(TokenType::RParen); !closed) {
                return unexpected(std::move(closed).error());
            }
            return inner;
        }
        case TokenType::LBrace: return parse_array_literal();
        default: return unexpected(unexpected_token_with_kind(t));
    }
}

Parser::Result Parser::parse_cell_or_range() {
    const Token& t = take();
    auto start = parse_cell_ref(t.text);
    if (!start) return unexpected(std::move(start).error());
    if (current().kind == TokenType::Colon) {
        take();
        auto end_token = consume(TokenType::CellRef);
        if (!end_token) return unexpected(std::move(end_token).error());
        auto end = parse_cell_ref((*end_token)->text);
        if (!end) return unexpected(std::move(end).error());
        AstNode* node = ref_node(NodeKind::Range, start->first, start->second);
        node->text2 = arena_.store(end->first);
        node->col2 = col_letters_to_index(end->first);
        node->row2 = end->second;
        return node;
    }
    if (current().kind == TokenType::Hash) {
        take();
        return ref_node(NodeKind::SpillRef, start->first, start->second);
    }
    return ref_node(NodeKind::CellRef, start->first, start->second);
}

Parser::Result Parser::parse_identifier() {
    const Token& t = take();
    if (current().kind == TokenType::Colon && peek(1).kind == TokenType::Function &&
        is_ascii_letters(t.text)) {
        take();
        const Token& end = take();
        if (!is_ascii_letters(end.text)) return unexpected("Invalid column range end: " + end.text);
        AstNode* node = arena_.new_node(NodeKind::ColumnRange);
        node->text = arena_.store(t.text);
        node->col = col_letters_to_index(t.text);
        node->text2 = arena_.store(end.text);
        node->col2 = col_letters_to_index(end.text);
        return node;
    }
    if (current().kind == TokenType::LParen) {
        take();
        DepthGuard guard(depth_);
        if (guard.exceeded()) return unexpected(nesting_limit_message());
        std::vector<const AstNode*> args;
        if (current().kind != TokenType::RParen) {
            for (;;) {
                auto arg = parse_expression();
                if (!arg) return arg;
                args.push_back(*arg);
                if (current().kind != TokenType::Comma) break;
                take();
            }
        }
        if (auto closed = consume(TokenType::RParen); !closed) {
            return unexpected(std::move(closed).error());
        }
        AstNode* node = arena_.new_node(NodeKind::FunctionCall);
        node->text = arena_.store(t.text);
        auto row = find_builtin(t.text);
        node->builtin = row ? static_cast<std::uint8_t>(*row) : kNotBuiltin;
        auto** children = arena_.new_child_list(args.size());
        std::copy(args.begin(), args.end(), children);
        node->child_list = children;
        node->child_count = args.size();
        return node;
    }
    AstNode* node = arena_.new_node(NodeKind::Name);
    node->text = arena_.store(t.text);
    return node;
}

Parser::Result Parser::parse_array_literal() {
    take();
    if (current().kind == TokenType::RBrace) {
        return unexpected(std::string("Array literal must contain at least one element"));
    }
    DepthGuard guard(depth_);
    if (guard.exceeded()) return unexpected(nesting_limit_message());
    std::vector<std::vector<const AstNode*>> rows;
    for (;;) {
        std::vector<const AstNode*> row;
        for (;;) {
            auto element = parse_expression();
            if (!element) return element;
            row.push_back(*element);
            if (current().kind != TokenType::Comma) break;
            take();
        }
        rows.push_back(std::move(row));
        if (current().kind == TokenType::Semicolon) {
            take();
            continue;
        }
        if (current().kind == TokenType::RBrace) {
            take();
            break;
        }
        return unexpected("Expected `,`, `;`, or `}` in array literal; got " + current().text);
    }
    const std::size_t width = rows[0].size();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].size() != width) {
            return unexpected("Array literal rows have inconsistent widths (row " +
                              std::to_string(i) + " has " + std::to_string(rows[i].size()) +
                              ", row 0 has " + std::to_string(width) + ")");
        }
    }
    AstNode* node = arena_.new_node(NodeKind::ArrayLiteral);
    // Sizes past 32 bits cannot come from real text, but saturate rather than wrap.
    node->rows = static_cast<std::uint32_t>(std::min<std::size_t>(rows.size(), UINT32_MAX));
    node->cols = static_cast<std::uint32_t>(std::min<std::size_t>(width, UINT32_MAX));
    auto** children = arena_.new_child_list(rows.size() * width);
    std::size_t k = 0;
    for (const auto& row : rows) {
        for (const AstNode* element : row) children[k++] = element;
    }
    node->child_list = children;
    node->child_count = k;
    return node;
}

}  // namespace orvel::core
