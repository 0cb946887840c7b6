// Unicode services of the engine (ICU underneath).
#pragma once

#include <string>
#include <string_view>

namespace orvel::core {

// Full Unicode case mappings of UTF-8 text (one character may map to several, as "ß" to "SS").
std::string to_upper_full(std::string_view utf8);
std::string to_lower_full(std::string_view utf8);

// ASCII-only case-insensitive equality: same byte length, "A".."Z" equal to "a".."z".
bool equals_ignore_ascii_case(std::string_view a, std::string_view b) noexcept;

}  // namespace orvel::core
