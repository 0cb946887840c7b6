#include "core/token_reader.h"

namespace orvel::core {

std::size_t TokenReader::body_chars() const noexcept {
    return end_char_ + count_chars(body_.substr(end_byte_));
}

void TokenReader::note_error() noexcept {
    // The failing token starts after the white space that follows the last good one.
    failed_ = true;
    std::size_t at = end_byte_;
    while (at < body_.size() && is_lexer_space(body_[at])) ++at;
    error_position_ = end_char_ + (at - end_byte_);
}

}  // namespace orvel::core
