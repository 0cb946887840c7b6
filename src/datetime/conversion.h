// One "%" directive of a format or parse pattern, as both strftime and strptime read it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "datetime/error.h"

namespace orvel::datetime {

// The largest width or precision a directive may give.
inline constexpr int kMaxDirectiveWidth = 255;

// "%" [flag] [width] ["." [precision]] [colons] directive. A precision goes only with "%.f".
struct Conversion {
    char flag = 0;  // one of _ - 0 ^ #, or none
    std::optional<int> width;
    std::optional<int> precision;
    int colons = 0;  // at most three
    bool dot = false;
    char directive = 0;
};

// Reads the conversion that starts at format[i], just after its "%", and moves i past it. A
// failure's message starts with `failure`, the caller's "... failed: ".
Result<Conversion> read_conversion(std::string_view format, std::size_t& i,
                                   std::string_view failure);

// "%" with the colons, the dot and the directive: "%::z", "%.f".
std::string directive_text(const Conversion& conv);

}  // namespace orvel::datetime
