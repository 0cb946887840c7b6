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

// True when `word` upper-cased letter by letter is `upper_word`.
bool equals_ascii_upper(std::string_view word, std::string_view upper_word) noexcept {
    if (word.size() != upper_word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (upper(word[i]) != upper_word[i]) return false;
    }
    return true;
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

RawToken Lexer::make_token(TokenType kind, std::size_t byte_start, std::size_t char_start) const {
    return RawToken{kind, char_start, chars_ - char_start, byte_start, pos_};
}

std::string token_text(TokenType kind, std::string_view source) {
    switch (kind) {
        case TokenType::String:
            return source.size() >= 2 ? std::string(source.substr(1, source.size() - 2)) : "";
        case TokenType::Number:
            return std::string(source.substr(!source.empty() && source[0] == '$' ? 1 : 0));
        case TokenType::CellRef:
        case TokenType::Function:
        case TokenType::Boolean: {
            std::string text(source);
            std::size_t kept = 0;
            for (char c : source) {
                if (c != '$') text[kept++] = upper(c);
            }
            text.resize(kept);
            return text;
        }
        default: return std::string(source);
    }
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
    auto next = next_raw_token();
    if (auto* raw = std::get_if<RawToken>(&next)) {
        std::variant<std::monostate, Token, std::string> out(std::in_place_type<Token>);
        Token& t = std::get<Token>(out);
        t.text = token_text(raw->kind,
                            text_.substr(raw->byte_start, raw->byte_end - raw->byte_start));
        t.position = raw->position;
        t.length = raw->length;
        t.kind = raw->kind;
        t.byte_start = raw->byte_start;
        t.byte_end = raw->byte_end;
        return out;
    }
    if (auto* message = std::get_if<std::string>(&next)) return std::move(*message);
    return std::monostate{};
}

std::variant<std::monostate, RawToken, std::string> Lexer::next_raw_token() {
    skip_white_space();
    if (pos_ >= text_.size()) return std::monostate{};
    const char c = text_[pos_];
    const char n = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
    const bool has_next = pos_ + 1 < text_.size();
    const std::size_t start = pos_, char_start = chars_;

    if (c == '$') {
        if (has_next && is_letter(n)) return read_identifier();
        if (has_next && is_digit(n)) return read_number();
        return "Unexpected character: $ at position " + std::to_string(char_start);
    }
    if (is_digit(c) || (c == '.' && has_next && is_digit(n))) return read_number();
    if (c == '"' || c == '\'') return read_string();
    if (is_letter(c)) return read_identifier();

    auto single = [&](TokenType kind, std::size_t len) {
        pos_ += len;
        chars_ += len;
        return make_token(kind, start, char_start);
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

RawToken Lexer::read_number() {
    const std::size_t start = pos_, char_start = chars_;
    if (text_[pos_] == '$') {
        ++pos_;
        ++chars_;
    }
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
    return make_token(TokenType::Number, start, char_start);
}

std::variant<std::monostate, RawToken, std::string> Lexer::read_string() {
    const std::size_t start = pos_, char_start = chars_;
    const char quote = text_[pos_];
    std::size_t close = text_.find(quote, pos_ + 1);
    if (close == std::string_view::npos) {
        chars_ += count_chars(text_.substr(pos_));
        pos_ = text_.size();
        return std::string("Unterminated string");
    }
    chars_ += count_chars(text_.substr(pos_ + 1, close - pos_ - 1)) + 2;
    pos_ = close + 1;
    return make_token(TokenType::String, start, char_start);
}

std::variant<std::monostate, RawToken, std::string> Lexer::read_identifier() {
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

    auto finish = [&](std::size_t end, TokenType kind) {
        chars_ += end - pos_;
        pos_ = end;
        return make_token(kind, s, char_start);
    };

    const bool has_digits = d > digit_start;
    if (has_digits && e == d) return finish(e, TokenType::CellRef);
    if (!has_digits && e == b) {
        const std::string_view word = text_.substr(a, b - a);
        const bool boolean = equals_ascii_upper(word, "TRUE") || equals_ascii_upper(word, "FALSE");
        return finish(e, !leading_dollar && boolean ? TokenType::Boolean : TokenType::Function);
    }
    if (leading_dollar || row_dollar) {
        chars_ += e - pos_;
        pos_ = e;
        return "Unexpected character: $ at position " + std::to_string(char_start);
    }
    return finish(e, TokenType::Function);
}

Expected<std::vector<Token>, std::string> Lexer::tokenize() {
    pos_ = 0;
    chars_ = 0;
    std::vector<Token> tokens;
    // Typical formulas hold a token per two or three characters: one allocation serves them.
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
