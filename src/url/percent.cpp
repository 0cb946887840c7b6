#include "url/percent.h"

#include <cstddef>

namespace orvel::url {
namespace {

bool is_ascii_alphanumeric(char c) noexcept {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

int hex_digit_value(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

void append_percent_encoded(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out.reserve(out.size() + text.size() * 3);
    for (char c : text) {
        if (is_ascii_alphanumeric(c)) {
            out.push_back(c);
        } else {
            auto byte = static_cast<unsigned char>(c);
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0xF]);
        }
    }
}

namespace {

void append_decoded(std::string& out, std::string_view text, bool plus_as_blank) {
    out.reserve(out.size() + text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        // A plain loop: find_first_of calls memchr once per byte.
        std::size_t special = at;
        while (special < text.size() && text[special] != '%' &&
               !(plus_as_blank && text[special] == '+')) {
            ++special;
        }
        if (special == text.size()) break;
        out.append(text.substr(at, special - at));
        at = special + 1;
        if (text[special] == '+') {
            out.push_back(' ');
            continue;
        }
        int high = special + 2 < text.size() ? hex_digit_value(text[special + 1]) : -1;
        int low = high >= 0 ? hex_digit_value(text[special + 2]) : -1;
        if (low >= 0) {
            out.push_back(static_cast<char>(high * 16 + low));
            at = special + 3;
        } else {
            out.push_back('%');
        }
    }
    out.append(text.substr(at));
}

}  // namespace

void append_percent_decoded(std::string& out, std::string_view text) {
    append_decoded(out, text, false);
}

void append_form_decoded(std::string& out, std::string_view text) {
    append_decoded(out, text, true);
}

}  // namespace orvel::url
