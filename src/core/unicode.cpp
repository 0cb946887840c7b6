#include "core/unicode.h"

#include <unicode/ucasemap.h>

#include <climits>
#include <memory>
#include <new>
#include <stdexcept>

namespace orvel::core {

namespace {

using CaseFn = int32_t (*)(const UCaseMap*, char*, int32_t, const char*, int32_t, UErrorCode*);

struct CaseMapDeleter {
    void operator()(UCaseMap* map) const noexcept { ucasemap_close(map); }
};

const UCaseMap* root_case_map() {
    static std::unique_ptr<UCaseMap, CaseMapDeleter> map = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UCaseMap, CaseMapDeleter> m(ucasemap_open("", U_FOLD_CASE_DEFAULT, &status));
        if (U_FAILURE(status)) throw std::runtime_error("ICU case map unavailable");
        return m;
    }();
    return map.get();
}

std::string map_case(std::string_view utf8, CaseFn fn) {
    if (utf8.size() > INT32_MAX / 4) throw std::length_error("text too long for case mapping");
    const auto length = static_cast<int32_t>(utf8.size());
    std::string out(utf8.size() + 8, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t needed = fn(root_case_map(), out.data(), static_cast<int32_t>(out.size()),
                            utf8.data(), length, &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.assign(static_cast<std::size_t>(needed), '\0');
            continue;
        }
        if (U_FAILURE(status)) throw std::runtime_error("ICU case mapping failed");
        out.resize(static_cast<std::size_t>(needed));
        return out;
    }
    throw std::runtime_error("ICU case mapping failed");
}

bool is_ascii(std::string_view s) noexcept {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

std::string to_upper_full(std::string_view utf8) {
    if (is_ascii(utf8)) {
        std::string out(utf8);
        for (char& c : out) {
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        }
        return out;
    }
    return map_case(utf8, ucasemap_utf8ToUpper);
}

std::string to_lower_full(std::string_view utf8) {
    if (is_ascii(utf8)) {
        std::string out(utf8);
        for (char& c : out) {
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        }
        return out;
    }
    return map_case(utf8, ucasemap_utf8ToLower);
}

bool equals_ignore_ascii_case(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace orvel::core
