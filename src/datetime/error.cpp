#include "datetime/error.h"

#include <charconv>

#include "core/debug_quote.h"

namespace orvel::datetime {

void append_int(std::string& out, std::int64_t value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void append_int128(std::string& out, __int128 value) {
    if (value >= INT64_MIN && value <= INT64_MAX) {
        append_int(out, static_cast<std::int64_t>(value));
        return;
    }
    char buffer[48];
    char* end = buffer + sizeof buffer;
    char* p = end;
    bool negative = value < 0;
    unsigned __int128 magnitude = negative ? static_cast<unsigned __int128>(-(value + 1)) + 1
                                           : static_cast<unsigned __int128>(value);
    do {
        *--p = static_cast<char>('0' + static_cast<int>(magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) *--p = '-';
    out.append(p, end);
}

Error Error::range_wide(std::string_view what, __int128 value, std::int64_t min, std::int64_t max) {
    std::string text = "parameter '";
    text += what;
    text += "' with value ";
    append_int128(text, value);
    text += " is not in the required range of ";
    append_int(text, min);
    text += "..=";
    append_int(text, max);
    return Error{std::move(text), true};
}

Error Error::range(std::string_view what, std::int64_t value, std::int64_t min, std::int64_t max) {
    return range_wide(what, value, min, max);
}

Error Error::context(std::string_view context) && {
    std::string text;
    text.reserve(context.size() + 2 + message.size());
    text += context;
    text += ": ";
    text += message;
    message = std::move(text);
    return std::move(*this);
}

std::string debug_quote(std::string_view text) {
    std::string out;
    core::append_debug_quoted(out, text);
    return out;
}

}  // namespace orvel::datetime
