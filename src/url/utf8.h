// UTF-8 checks for bytes that percent-decoding produced.
#pragma once

#include <string>
#include <string_view>

namespace orvel::url {

// Strict UTF-8: rejects overlong forms (C0 80), surrogates (ED A0 80), values above U+10FFFF
// and truncated sequences.
bool is_valid_utf8(std::string_view bytes) noexcept;

// Appends the bytes with every maximal ill-formed subpart replaced by one U+FFFD, so E2 82 gives
// one replacement character and ED A0 80 three.
void append_utf8_lossy(std::string& out, std::string_view bytes);

}  // namespace orvel::url
