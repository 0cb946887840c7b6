// Failures of the date library: a message, and whether its root cause is a bounds violation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/expected.h"

namespace orvel::datetime {

struct Error {
    std::string message;
    // True when the root cause is a number outside the range its field allows; callers that
    // report to formulas prefix such messages with "out of range: ".
    bool is_range = false;

    static Error plain(std::string message) { return Error{std::move(message), false}; }
    // "parameter '{what}' with value {value} is not in the required range of {min}..={max}"
    static Error range(std::string_view what, std::int64_t value, std::int64_t min,
                       std::int64_t max);
    static Error range_wide(std::string_view what, __int128 value, std::int64_t min,
                            std::int64_t max);
    // A range error with a free message.
    static Error out_of_range(std::string message) { return Error{std::move(message), true}; }

    // "{context}: {message}", keeping the root cause's class.
    Error context(std::string_view context) &&;
};

template <class T>
using Result = core::Expected<T, Error>;

// Placeholder value for Result<Unit>-style operations that only report failure.
struct Ok {};

using core::unexpected;

// A text as a quoted literal with backslash escapes (the way Rust's Debug shows a str).
std::string debug_quote(std::string_view text);

// Appends the decimal digits of `value`.
void append_int(std::string& out, std::int64_t value);
void append_int128(std::string& out, __int128 value);

}  // namespace orvel::datetime
