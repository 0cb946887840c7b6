// Quoting of a text for messages, the way a debugging view shows a string.
#pragma once

#include <string>
#include <string_view>

namespace orvel::core {

// The text in double quotes: a backslash before `"` and `\`; "\t", "\r", "\n" and "\0" for tab,
// carriage return, line feed and NUL; "\u{...}" (lower-case hexadecimal) for other characters
// that do not print and for combining marks; every other character, the single quote included,
// as it is. Bytes that are not UTF-8 stand for U+FFFD.
std::string debug_quoted(std::string_view utf8);

}  // namespace orvel::core
