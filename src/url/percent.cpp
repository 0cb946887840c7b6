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

void append_percent_decoded(std::string& out, std::string_view text) {
    out.reserve(out.size() + text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t percent = text.find('%', at);
        if (percent == std::string_view::npos) break;
        out.append(text.substr(at, percent - at));
        int high = percent + 2 < text.size() ? hex_digit_value(text[percent + 1]) : -1;
        int low = high >= 0 ? hex_digit_value(text[percent + 2]) : -1;
        if (low >= 0) {
            out.push_back(static_cast<char>(high * 16 + low));
            at = percent + 3;
        } else {
            out.push_back('%');
            at = percent + 1;
        }
    }
    out.append(text.substr(at));
}

}  // namespace orvel::url
