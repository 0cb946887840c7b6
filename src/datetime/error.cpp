#include "datetime/error.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <charconv>

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
    unsigned __int128 magnitude =
        negative ? static_cast<unsigned __int128>(-(value + 1)) + 1 : static_cast<unsigned __int128>(value);
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

Error Error::range(std::string_view what, std::int64_t value, std::int64_t min,
                   std::int64_t max) {
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

namespace {

void append_hex_escape(std::string& out, std::uint32_t code_point) {
    char digits[8];
    auto result = std::to_chars(digits, digits + sizeof digits, code_point, 16);
    out += "\\u{";
    out.append(digits, result.ptr);
    out += '}';
}

// Rust prints a character as is unless it is a control, format, private-use, surrogate,
// unassigned or separator character (the ASCII space excepted) or extends a grapheme.
bool needs_escape(UChar32 c) {
    if (c == ' ') return false;
    if (u_hasBinaryProperty(c, UCHAR_GRAPHEME_EXTEND)) return true;
    switch (u_charType(c)) {
        case U_CONTROL_CHAR:
        case U_FORMAT_CHAR:
        case U_PRIVATE_USE_CHAR:
        case U_SURROGATE:
        case U_UNASSIGNED:
        case U_LINE_SEPARATOR:
        case U_PARAGRAPH_SEPARATOR:
        case U_SPACE_SEPARATOR: return true;
        default: return false;
    }
}

}  // namespace

std::string debug_quote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    std::int32_t at = 0;
    while (at < length) {
        std::int32_t start = at;
        UChar32 c;
        U8_NEXT(bytes, at, length, c);
        switch (c) {
            case '"': out += "\\\""; continue;
            case '\\': out += "\\\\"; continue;
            case '\n': out += "\\n"; continue;
            case '\r': out += "\\r"; continue;
            case '\t': out += "\\t"; continue;
            case '\0': out += "\\0"; continue;
            default: break;
        }
        if (c < 0) {
            // Not UTF-8: shown as the replacement character, as a lossy conversion would.
            out += "\xEF\xBF\xBD";
        } else if (needs_escape(c)) {
            append_hex_escape(out, static_cast<std::uint32_t>(c));
        } else {
            out.append(text.data() + start, static_cast<std::size_t>(at - start));
        }
    }
    out += '"';
    return out;
}

}  // namespace orvel::datetime
