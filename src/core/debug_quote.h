// Quoting a text for messages so that every character stays visible.
#pragma once

#include <string>
#include <string_view>

namespace orvel::core {

// Appends the text between double quotes: '"' and '\' with a backslash before them; tab,
// carriage return, line feed and NUL as \t, \r, \n, \0; characters that do not print (controls,
// format characters, separators other than the blank, unassigned and private-use code points,
// combining marks) as \u{hex}. A byte that is not UTF-8 reads as U+FFFD.
void append_debug_quoted(std::string& out, std::string_view utf8);

}  // namespace orvel::core
