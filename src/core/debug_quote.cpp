#include "core/debug_quote.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <charconv>
#include <cstdint>

namespace orvel::core {

namespace {

bool prints(UChar32 c) noexcept {
    if (c == ' ') return true;
    switch (u_charType(c)) {
        case U_CONTROL_CHAR:
        case U_FORMAT_CHAR:
        case U_SURROGATE:
        case U_PRIVATE_USE_CHAR:
        case U_UNASSIGNED:
        case U_LINE_SEPARATOR:
        case U_PARAGRAPH_SEPARATOR:
        case U_SPACE_SEPARATOR:
            return false;
        default:
            return true;
    }
}

void append_unicode_escape(std::string& out, UChar32 c) {
    char hex[8];
    auto res = std::to_chars(hex, hex + sizeof hex, static_cast<std::uint32_t>(c), 16);
    out += "\\u{";
    out.append(hex, res.ptr);
    out += '}';
}

}  // namespace

void append_debug_quoted(std::string& out, std::string_view utf8) {
    out += '"';
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int64_t>(utf8.size());
    std::int64_t i = 0;
    while (i < length) {
        const std::int64_t from = i;
        UChar32 c;
        U8_NEXT_OR_FFFD(bytes, i, length, c);
        switch (c) {
            case 0:
                out += "\\0";
                continue;
            case '\t':
                out += "\\t";
                continue;
            case '\r':
                out += "\\r";
                continue;
            case '\n':
                out += "\\n";
                continue;
            case '\\':
                out += "\\\\";
                continue;
            case '"':
                out += "\\\"";
                continue;
            default:
                break;
        }
        if (u_hasBinaryProperty(c, UCHAR_GRAPHEME_EXTEND) || !prints(c)) {
            append_unicode_escape(out, c);
        } else if (c == 0xFFFD) {
            out += "\xEF\xBF\xBD";  // also stands for bytes that are not UTF-8
        } else {
            out.append(
                utf8.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(i - from)));
        }
    }
    out += '"';
}

}  // namespace orvel::core
