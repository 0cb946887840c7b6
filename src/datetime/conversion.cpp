#include "datetime/conversion.h"

namespace orvel::datetime {

namespace {

bool is_flag(char c) noexcept {
    return c == '_' || c == '-' || c == '0' || c == '^' || c == '#';
}

bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

}  // namespace

Result<Conversion> read_conversion(std::string_view format, std::size_t& i,
                                   std::string_view failure) {
    auto fail = [&](std::string_view detail) {
        std::string text(failure);
        text += detail;
        return unexpected(Error::plain(std::move(text)));
    };
    // A run of digits as a number of at most kMaxDirectiveWidth; none when there is no digit.
    auto number = [&](std::optional<int>& into) -> bool {
        if (i >= format.size() || !is_digit(format[i])) return true;
        int value = 0;
        while (i < format.size() && is_digit(format[i])) {
            value = value * 10 + (format[i++] - '0');
            if (value > kMaxDirectiveWidth) return false;
        }
        into = value;
        return true;
    };
    constexpr std::string_view kTooWide = "width in directive is too big (at most 255)";
    Conversion conv;
    // One flag: the digits after it are the width, so "%00f" is a width of zero.
    if (i < format.size() && is_flag(format[i])) conv.flag = format[i++];
    if (!number(conv.width)) return fail(kTooWide);
    if (i < format.size() && format[i] == '.') {
        conv.dot = true;
        ++i;
        if (!number(conv.precision)) return fail(kTooWide);
    }
    while (i < format.size() && format[i] == ':' && conv.colons < 3) {
        ++conv.colons;
        ++i;
    }
    if (i >= format.size()) {
        return fail(
            "expected to find specifier directive after '%', but found end of format string");
    }
    conv.directive = format[i++];
    if (conv.dot && conv.directive != 'f') return fail("expected 'f' after '%.'");
    return conv;
}

std::string directive_text(const Conversion& conv) {
    std::string text = "%";
    text.append(static_cast<std::size_t>(conv.colons), ':');
    if (conv.dot) text += '.';
    text += conv.directive;
    return text;
}

}  // namespace orvel::datetime
