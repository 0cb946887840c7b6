// Reads the tokens of a formula body one at a time with a short look-ahead. The text services
// walk each token once, so they never collect the whole token list; the hot calls are inline
// because they run once per token.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <variant>

#include "core/lexer.h"

namespace orvel::core {

class TokenReader {
public:
    explicit TokenReader(std::string_view body) noexcept : lexer_(body), body_(body) {}

    // Farthest look-ahead that peek() serves.
    static constexpr std::size_t kMaxAhead = 2;

    // The token `ahead` places after the current one; null past the last token and from a
    // lexer error on. The pointers stay valid until the next advance().
    const RawToken* peek(std::size_t ahead = 0) {
        if (ahead > kMaxAhead) return nullptr;
        while (count_ <= ahead) {
            if (done_ || !read_one()) return nullptr;
        }
        return &ring_[(head_ + ahead) & (kRing - 1)];
    }

    void advance(std::size_t count = 1) {
        for (; count > 0; --count) {
            if (count_ == 0 && (done_ || !read_one())) return;
            head_ = (head_ + 1) & (kRing - 1);
            --count_;
        }
    }

    std::string_view body() const noexcept { return body_; }
    // The characters a token covers.
    std::string_view source(const RawToken& token) const noexcept {
        return body_.substr(token.byte_start, token.byte_end - token.byte_start);
    }

    // True once the lexer has rejected the text.
    bool failed() const noexcept { return failed_; }
    // Character position where the rejected token begins (when failed()).
    std::size_t error_position() const noexcept { return error_position_; }
    // Characters of the body, once peek() has returned null.
    std::size_t body_chars() const noexcept;

private:
    bool read_one() {
        auto next = lexer_.next_raw_token();
        if (auto* token = std::get_if<RawToken>(&next)) {
            end_byte_ = token->byte_end;
            end_char_ = token->position + token->length;
            ring_[(head_ + count_) & (kRing - 1)] = *token;
            ++count_;
            return true;
        }
        done_ = true;
        if (std::holds_alternative<std::string>(next)) note_error();
        return false;
    }
    void note_error() noexcept;

    // A power of two above kMaxAhead, so that slots wrap with a mask.
    static constexpr std::size_t kRing = 4;

    Lexer lexer_;
    std::string_view body_;
    std::array<RawToken, kRing> ring_{};
    std::size_t head_ = 0;   // slot of the current token
    std::size_t count_ = 0;  // tokens read and not yet passed
    bool done_ = false;
    bool failed_ = false;
    std::size_t error_position_ = 0;
    // End of the last token read, in bytes and in characters.
    std::size_t end_byte_ = 0;
    std::size_t end_char_ = 0;
};

}  // namespace orvel::core
