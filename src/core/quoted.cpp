#include "core/quoted.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <charconv>

namespace orvel::core {

namespace {

// Characters a debugging view escapes: controls, format characters, surrogates, private use,
// unassigned code points and separators other than the blank.
bool prints(UChar32 c) {
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

void append_utf8(std::string& out, UChar32 c) {
    char buf[4];
    int32_t length = 0;
    U8_APPEND_UNSAFE(buf, length, c);
    out.append(buf, static_cast<std::size_t>(length));
}

}  // namespace

std::string debug_quoted(std::string_view utf8) {
    std::string out = "\"";
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto length = static_cast<int64_t>(utf8.size());
    for (int64_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) c = 0xFFFD;
        switch (c) {
            case '"':
                out += "\\\"";
                continue;
            case '\\':
                out += "\\\\";
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
            case '\0':
                out += "\\0";
                continue;
            default:
                break;
        }
        if (prints(c) && !u_hasBinaryProperty(c, UCHAR_GRAPHEME_EXTEND)) {
            append_utf8(out, c);
            continue;
        }
        char hex[8];
        auto res = std::to_chars(hex, hex + sizeof hex, static_cast<uint32_t>(c), 16);
        out += "\\u{";
        out.append(hex, res.ptr);
        out += '}';
    }
    out += '"';
    return out;
}

}  // namespace orvel::core
