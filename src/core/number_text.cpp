#include "core/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>

namespace orvel::core {

namespace {

bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

char ascii_lower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool equals_ignoring_ascii_case(std::string_view text, std::string_view lower_word) noexcept {
    if (text.size() != lower_word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (ascii_lower(text[i]) != lower_word[i]) return false;
    }
    return true;
}

}  // namespace

void append_number(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "NaN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-inf" : "inf";
        return;
    }
    if (std::signbit(value)) out += '-';
    double magnitude = std::fabs(value);
    if (magnitude == 0) {
        out += '0';
        return;
    }
    // Below 2^53 an integral value's own digits are its shortest round-trip form (any shorter
    // digit string names another representable integer), so print them directly.
    if (magnitude < 9007199254740992.0 && magnitude == std::trunc(magnitude)) {
        char buf[24];
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<std::uint64_t>(magnitude));
        out.append(buf, res.ptr);
        return;
    }
    // Shortest digits in scientific form: d[.ddd]e[+-]xx; the digits are then placed by hand.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    std::size_t e_pos = sci.find('e');
    char digits[32];
    std::size_t n_digits = 0;
    for (std::size_t i = 0; i < e_pos; ++i) {
        if (sci[i] != '.') digits[n_digits++] = sci[i];
    }
    int exponent = 0;
    std::from_chars(sci.data() + e_pos + (sci[e_pos + 1] == '+' ? 2 : 1), sci.data() + sci.size(),
                    exponent);
    // value = 0.d1d2...dn x 10^(exponent + 1); the decimal point sits after `point` digits.
    long point = static_cast<long>(exponent) + 1;
    if (point <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-point), '0');
        out.append(digits, n_digits);
    } else if (static_cast<std::size_t>(point) >= n_digits) {
        out.append(digits, n_digits);
        out.append(static_cast<std::size_t>(point) - n_digits, '0');
    } else {
        out.append(digits, static_cast<std::size_t>(point));
        out += '.';
        out.append(digits + point, n_digits - static_cast<std::size_t>(point));
    }
}

std::string format_number(double value) {
    std::string out;
    append_number(out, value);
    return out;
}

std::optional<double> parse_decimal(std::string_view text) noexcept {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::string_view body = text.substr(i);
    if (equals_ignoring_ascii_case(body, "inf") || equals_ignoring_ascii_case(body, "infinity")) {
        return negative ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::infinity();
    }
    if (equals_ignoring_ascii_case(body, "nan")) {
        double nan = std::numeric_limits<double>::quiet_NaN();
        return negative ? -nan : nan;
    }

    // Validate the grammar and find the decimal exponent of the first significant digit.
    std::size_t pos = 0;
    std::size_t int_digits = 0, frac_digits = 0;
    long first_significant = 0;  // power of ten of the leading non-zero digit
    bool seen_nonzero = false;
    while (pos < body.size() && is_digit(body[pos])) {
        if (!seen_nonzero && body[pos] != '0') seen_nonzero = true;
        if (seen_nonzero) ++first_significant;
        ++pos;
        ++int_digits;
    }
    // first_significant counts integer digits from the leading non-zero one; its power is count-1.
    long leading_power = seen_nonzero ? first_significant - 1 : 0;
    if (pos < body.size() && body[pos] == '.') {
        ++pos;
        long frac_index = 0;
        while (pos < body.size() && is_digit(body[pos])) {
            ++frac_index;
            if (!seen_nonzero && body[pos] != '0') {
                seen_nonzero = true;
                leading_power = -frac_index;
            }
            ++pos;
            ++frac_digits;
        }
    }
    if (int_digits + frac_digits == 0) return std::nullopt;
    long long exponent = 0;
    bool exponent_huge = false;
    if (pos < body.size() && (body[pos] == 'e' || body[pos] == 'E')) {
        ++pos;
        bool exp_negative = false;
        if (pos < body.size() && (body[pos] == '+' || body[pos] == '-')) {
            exp_negative = body[pos] == '-';
            ++pos;
        }
        std::size_t exp_start = pos;
        while (pos < body.size() && is_digit(body[pos])) {
            if (exponent < 1'000'000'000) {
                exponent = exponent * 10 + (body[pos] - '0');
            } else {
                exponent_huge = true;
            }
            ++pos;
        }
        if (pos == exp_start) return std::nullopt;
        if (exp_negative) exponent = -exponent;
    }
    if (pos != body.size()) return std::nullopt;

    double zero = negative ? -0.0 : 0.0;
    double inf = negative ? -std::numeric_limits<double>::infinity()
                          : std::numeric_limits<double>::infinity();
    if (!seen_nonzero) return zero;
    // Far outside the double range: decide without handing absurd exponents to the reader. The
    // power of the leading digit decides, not the exponent's sign: "1" and 500 zeros "e-50" is
    // 1e450.
    if (exponent_huge) return exponent > 0 ? inf : zero;
    long long magnitude = static_cast<long long>(leading_power) + exponent;
    if (magnitude > 400) return inf;
    if (magnitude < -400) return zero;

    double value = 0;
    const char* first = body.data();
    const char* last = body.data() + body.size();
    auto res = std::from_chars(first, last, value, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (res.ec != std::errc() || res.ptr != last) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

}  // namespace orvel::core
