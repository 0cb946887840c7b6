#include "core/lexer.h"

#include <algorithm>
#include <charconv>

namespace orvel::core {

namespace {

bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }
bool is_letter(char c) noexcept { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_continuation(char c) noexcept { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
char upper(char c) noexcept { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Byte length of the UTF-8 sequence that starts at `at`; 1 for a stray byte.
std::size_t sequence_length(std::string_view s, std::size_t at) noexcept {
    auto lead = static_cast<unsigned char>(s[at]);
    std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (at + n > s.size()) return 1;
    for (std::size_t i = 1; i < n; ++i) {
        if (!is_continuation(s[at + i])) return 1;
    }
    return n;
}

void append_decimal(std::string& out, std::size_t n) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, res.ptr);
}

}  // namespace

std::string_view token_type_name(TokenType type) noexcept {
    switch (type) {
        case TokenType::Number: return "Number";
        case TokenType::String: return "String";
        case TokenType::Boolean: return "Boolean";
        case TokenType::CellRef: return "CellRef";
        case TokenType::Function: return "Function";
        case TokenType::Operator: return "Operator";
        case TokenType::LParen: return "LParen";
        case TokenType::RParen: return "RParen";
        case TokenType::LBrace: return "LBrace";
        case TokenType::RBrace: return "RBrace";
        case TokenType::Comma: return "Comma";
        case TokenType::Colon: return "Colon";
        case TokenType::Semicolon: return "Semicolon";
        case TokenType::Hash: return "Hash";
        case TokenType::Eof: return "Eof";
    }
    return "";
}

std::size_t count_chars(std::string_view utf8) noexcept {
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size(); i += sequence_length(utf8, i)) ++n;
    return n;
}

void Lexer::skip_white_space() noexcept {
    while (pos_ < text_.size() && is_lexer_space(text_[pos_])) {
        ++pos_;
        ++chars_;
    }
}

Token Lexer::make_token(TokenType kind, std::string text, std::size_t byte_start,
                        std::size_t char_start) const {
    Token t;
    t.text = std::move(text);
    t.position = char_start;
    t.length = chars_ - char_start;
    t.kind = kind;
    t.byte_start = byte_start;
    t.byte_end = pos_;
    return t;
}

std::string Lexer::unexpected_character(std::size_t byte_at, std::size_t char_at) const {
    std::string message = "Unexpected character: ";
    std::size_t n = sequence_length(text_, byte_at);
    if (n == 1 && static_cast<unsigned char>(text_[byte_at]) >= 0x80) {
        message += "\xEF\xBF\xBD";  // a stray byte shows as U+FFFD
    } else {
        message.append(text_.substr(byte_at, n));
    }
    message += " at position ";
    append_decimal(message, char_at);
    return message;
}

std::variant<std::monostate, Token, std::string> Lexer::next_token() {
    skip_white_space();
    if (pos_ >= text_.size()) return std::monostate{};
    const char c = text_[pos_];
    const char n = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
    const bool has_next = pos_ + 1 < text_.size();
    const std::size_t start = pos_, char_start = chars_;

    auto from_string_variant = [](std::variant<Token, std::string> r)
        -> std::variant<std::monostate, Token, std::string> {
        if (auto* t = std::get_if<Token>(&r)) return std::move(*t);
        return std::move(std::get<std::string>(r));
    };

    if (c == '$') {
        if (has_next && is_letter(n)) return from_string_variant(read_identifier());
        if (has_next && is_digit(n)) return read_number();
        return "Unexpected character: $ at position " + std::to_string(char_start);
    }
    if (is_digit(c) || (c == '.' && has_next && is_digit(n))) return read_number();
    if (c == '"' || c == '\'') return from_string_variant(read_string());
    if (is_letter(c)) return from_string_variant(read_identifier());

    auto single = [&](TokenType kind, std::size_t len) {
        pos_ += len;
        chars_ += len;
        return make_token(kind, std::string(text_.substr(start, len)), start, char_start);
    };
    switch (c) {
        case '<':
            return single(TokenType::Operator, (n == '=' || n == '>') && has_next ? 2 : 1);
        case '>': return single(TokenType::Operator, n == '=' && has_next ? 2 : 1);
        case '=':
        case '%':
        case '&':
        case '*':
        case '+':
        case '-':
        case '/':
        case '^': return single(TokenType::Operator, 1);
        case '(': return single(TokenType::LParen, 1);
        case ')': return single(TokenType::RParen, 1);
        case '{': return single(TokenType::LBrace, 1);
        case '}': return single(TokenType::RBrace, 1);
        case ',': return single(TokenType::Comma, 1);
        case ':': return single(TokenType::Colon, 1);
        case ';': return single(TokenType::Semicolon, 1);
        case '#': return single(TokenType::Hash, 1);
        default: return unexpected_character(start, char_start);
    }
}

Token Lexer::read_number() {
    const std::size_t start = pos_, char_start = chars_;
    if (text_[pos_] == '$') {
        ++pos_;
        ++chars_;
    }
    const std::size_t run = pos_;
    bool seen_point = false;
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (c == '.') {
            if (seen_point) break;
            seen_point = true;
        } else if (!is_digit(c)) {
            break;
        }
        ++pos_;
        ++chars_;
    }
    return make_token(TokenType::Number, std::string(text_.substr(run, pos_ - run)), start,
                      char_start);
}

std::variant<Token, std::string> Lexer::read_string() {
    const std::size_t start = pos_, char_start = chars_;
    const char quote = text_[pos_];
    std::size_t close = text_.find(quote, pos_ + 1);
    if (close == std::string_view::npos) {
        chars_ += count_chars(text_.substr(pos_));
        pos_ = text_.size();
        return std::string("Unterminated string");
    }
    std::string_view content = text_.substr(pos_ + 1, close - pos_ - 1);
    chars_ += count_chars(content) + 2;
    pos_ = close + 1;
    return make_token(TokenType::String, std::string(content), start, char_start);
}

std::variant<Token, std::string> Lexer::read_identifier() {
    // Everything an identifier may contain is ASCII, so bytes and characters advance together.
    const std::size_t s = pos_, char_start = chars_;
    std::size_t i = s;
    const bool leading_dollar = text_[i] == '$';
    if (leading_dollar) ++i;
    const std::size_t a = i;
    while (i < text_.size() && is_letter(text_[i])) ++i;
    const std::size_t b = i;
    bool row_dollar = false;
    std::size_t digit_start = b;
    if (b + 1 < text_.size() && text_[b] == '$' && is_digit(text_[b + 1])) {
        row_dollar = true;
        digit_start = b + 1;
    }
    i = digit_start;
    while (i < text_.size() && is_digit(text_[i])) ++i;
    const std::size_t d = i;
    while (i < text_.size() && (is_letter(text_[i]) || is_digit(text_[i]) || text_[i] == '_')) ++i;
    const std::size_t e = i;

    auto finish = [&](std::size_t end, TokenType kind, std::string text) {
        chars_ += end - pos_;
        pos_ = end;
        return make_token(kind, std::move(text), s, char_start);
    };
    auto upper_of = [&](std::size_t from, std::size_t to, std::string& out) {
        for (std::size_t k = from; k < to; ++k) out += upper(text_[k]);
    };

    const bool has_digits = d > digit_start;
    if (has_digits && e == d) {
        std::string text;
        text.reserve(d - a);
        upper_of(a, b, text);
        text.append(text_.substr(digit_start, d - digit_start));
        return finish(e, TokenType::CellRef, std::move(text));
    }
    if (!has_digits && e == b) {
        std::string text;
        upper_of(a, b, text);
        TokenType kind = TokenType::Function;
        if (!leading_dollar && (text == "TRUE" || text == "FALSE")) kind = TokenType::Boolean;
        return finish(e, kind, std::move(text));
    }
    if (leading_dollar || row_dollar) {
        chars_ += e - pos_;
        pos_ = e;
        return "Unexpected character: $ at position " + std::to_string(char_start);
    }
    std::string text;
    upper_of(a, e, text);
    return finish(e, TokenType::Function, std::move(text));
}

Expected<std::vector<Token>, std::string> Lexer::tokenize() {
    pos_ = 0;
    chars_ = 0;
    std::vector<Token> tokens;
    // Typical formulas need a handful of tokens; long texts grow the list as usual.
    tokens.reserve(std::min<std::size_t>(text_.size() / 2 + 2, 64));
    for (;;) {
        auto next = next_token();
        if (auto* token = std::get_if<Token>(&next)) {
            tokens.push_back(std::move(*token));
        } else if (auto* message = std::get_if<std::string>(&next)) {
            return unexpected(std::move(*message));
        } else {
            break;
        }
    }
    Token eof;
    eof.kind = TokenType::Eof;
    eof.position = chars_;
    eof.byte_start = eof.byte_end = pos_;
    tokens.push_back(std::move(eof));
    return tokens;
}

Lexer::Partial Lexer::tokenize_partial() {
    pos_ = 0;
    chars_ = 0;
    Partial out;
    for (;;) {
        skip_white_space();
        if (pos_ >= text_.size()) break;
        const std::size_t start = chars_;
        auto next = next_token();
        if (auto* token = std::get_if<Token>(&next)) {
            out.tokens.push_back(std::move(*token));
        } else if (std::holds_alternative<std::string>(next)) {
            out.error_position = start;
            break;
        } else {
            break;
        }
    }
    return out;
}

}  // namespace orvel::core
