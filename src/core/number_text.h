// Numbers to text and back, independent of the C locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvel::core {

// Shortest round-trip digits laid out positionally: no exponent, no trailing ".0", "-0" for
// negative zero, "NaN", "inf", "-inf".
std::string format_number(double value);
void append_number(std::string& out, double value);

// Reads the whole text as a decimal floating-point literal: optional sign, then "inf",
// "infinity" or "nan" (any case), or a mantissa with at least one digit and an optional
// exponent. No blanks, separators or hex. Overflow gives an infinity, underflow a zero.
std::optional<double> parse_decimal(std::string_view text) noexcept;

}  // namespace orvel::core
