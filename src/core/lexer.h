// The formula lexer: text to tokens. Positions and lengths count characters (code points).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/expected.h"

namespace orvel::core {

enum class TokenType : std::uint8_t {
    Number,
    String,
    Boolean,
    CellRef,
    Function,
    Operator,
    LParen,
    RParen,
    LBrace,
    RBrace,
    Comma,
    Colon,
    Semicolon,
    Hash,
    Eof,
};

// The kind's name as parser messages print it ("CellRef", "Eof" ...).
std::string_view token_type_name(TokenType type) noexcept;

struct Token {
    std::string text;          // strings without quotes, refs without "$", identifiers upper-cased
    std::size_t position = 0;  // character index of the first character
    std::size_t length = 0;    // characters covered in the source
    TokenType kind = TokenType::Eof;
    // The same span in bytes of the lexer's text.
    std::size_t byte_start = 0;
    std::size_t byte_end = 0;
};

// A token's kind and place without its text, for callers that read the source themselves.
struct RawToken {
    TokenType kind = TokenType::Eof;
    std::size_t position = 0;  // character index of the first character
    std::size_t length = 0;    // characters covered in the source
    std::size_t byte_start = 0;
    std::size_t byte_end = 0;
};

// The text a token carries, rebuilt from its source characters: a string's content without its
// quotes; for every other kind the source without "$" and with ASCII letters upper-cased.
std::string token_text(TokenType kind, std::string_view source);

class Lexer {
public:
    explicit Lexer(std::string_view text) noexcept : text_(text) {}

    // All tokens followed by Eof, or the first lexical error's message.
    Expected<std::vector<Token>, std::string> tokenize();

    // Tokens up to the first lexical error, and the character index where the failing token
    // starts. No Eof is appended.
    struct Partial {
        std::vector<Token> tokens;
        std::optional<std::size_t> error_position;
    };
    Partial tokenize_partial();

    // One token; std::monostate at the end of the text; a message on failure.
    std::variant<std::monostate, Token, std::string> next_token();
    // The same without building the token's text.
    std::variant<std::monostate, RawToken, std::string> next_raw_token();

private:
    void skip_white_space() noexcept;
    RawToken read_number();
    std::variant<std::monostate, RawToken, std::string> read_string();
    std::variant<std::monostate, RawToken, std::string> read_identifier();
    RawToken make_token(TokenType kind, std::size_t byte_start, std::size_t char_start) const;
    std::string unexpected_character(std::size_t byte_at, std::size_t char_at) const;

    std::string_view text_;
    std::size_t pos_ = 0;    // byte index
    std::size_t chars_ = 0;  // character index of pos_
};

// True for the lexer's white space: blank, tab, line feed, form feed, carriage return.
constexpr bool is_lexer_space(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

// Number of characters (code points) in UTF-8 text; stray bytes count one each.
std::size_t count_chars(std::string_view utf8) noexcept;

}  // namespace orvel::core
