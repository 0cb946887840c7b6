// A cursor over parser input, with overflow-checked digit runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orvel::datetime {

constexpr bool is_ascii_digit(char c) noexcept {
    return c >= '0' && c <= '9';
}
constexpr bool is_ascii_alpha(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr char to_ascii_lower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

struct Cursor {
    std::string_view text;
    std::size_t pos = 0;

    bool done() const noexcept { return pos >= text.size(); }
    // The byte at the cursor, or NUL at the end (parsers never accept a NUL themselves).
    char peek(std::size_t ahead = 0) const noexcept {
        return pos + ahead < text.size() ? text[pos + ahead] : '\0';
    }
    bool eat(char c) noexcept {
        if (!done() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    std::string_view rest() const noexcept {
        return text.substr(pos < text.size() ? pos : text.size());
    }

    // Exactly `count` digits as a number; none (cursor unchanged) when they are not there.
    std::optional<std::int64_t> fixed_digits(std::size_t count) noexcept {
        if (text.size() - pos < count || pos > text.size()) return std::nullopt;
        std::int64_t value = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const char c = text[pos + i];
            if (!is_ascii_digit(c)) return std::nullopt;
            value = value * 10 + (c - '0');
        }
        pos += count;
        return value;
    }

    // One to `max_count` digits (greedy). Sets `overflow` when the value exceeds int64.
    std::optional<std::int64_t> digits(std::size_t max_count, bool& overflow) noexcept {
        overflow = false;
        std::int64_t value = 0;
        std::size_t count = 0;
        while (count < max_count && is_ascii_digit(peek())) {
            const int digit = peek() - '0';
            if (__builtin_mul_overflow(value, 10, &value) ||
                __builtin_add_overflow(value, digit, &value)) {
                overflow = true;
            }
            ++pos;
            ++count;
        }
        if (count == 0) return std::nullopt;
        return value;
    }
};

// A fraction of one to nine digits as nanoseconds ("5" is 500000000); `count` receives the
// number of digits read. None without a digit or with more than nine.
inline std::optional<std::int32_t> scan_fraction_nanos(Cursor& c,
                                                       std::size_t* count = nullptr) noexcept {
    std::int32_t value = 0;
    std::size_t n = 0;
    while (is_ascii_digit(c.peek())) {
        if (n == 9) return std::nullopt;
        value = value * 10 + (c.peek() - '0');
        ++c.pos;
        ++n;
    }
    if (n == 0) return std::nullopt;
    if (count) *count = n;
    for (std::size_t i = n; i < 9; ++i) value *= 10;
    return value;
}

}  // namespace orvel::datetime
