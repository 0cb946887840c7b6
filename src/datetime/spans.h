// Spans: one sign and ten unit counts, each within its own limit.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "datetime/error.h"

namespace orvel::datetime {

// Smallest first, so units compare by size.
enum class Unit : std::uint8_t {
    Nanosecond,
    Microsecond,
    Millisecond,
    Second,
    Minute,
    Hour,
    Day,
    Week,
    Month,
    Year,
};
inline constexpr std::size_t kUnitCount = 10;

constexpr std::size_t unit_index(Unit unit) noexcept {
    return static_cast<std::size_t>(unit);
}
// Plural lower-case name, used in messages ("years").
std::string_view unit_name(Unit unit) noexcept;
// Largest magnitude a span may hold in the unit.
std::int64_t unit_limit(Unit unit) noexcept;
// Nanoseconds in one unit for the units of fixed length (weeks and days of 24 hours).
std::int64_t unit_nanos(Unit unit) noexcept;

class Span {
public:
    // -1, 0 (the zero span) or 1.
    std::int8_t sign() const noexcept { return sign_; }
    bool is_zero() const noexcept { return sign_ == 0; }
    std::int64_t magnitude(Unit unit) const noexcept { return units_[unit_index(unit)]; }
    std::int64_t get(Unit unit) const noexcept {
        return sign_ < 0 ? -magnitude(unit) : magnitude(unit);
    }

    // Sets one unit. A negative amount makes the span negative; a zero span takes the sign of
    // the first non-zero amount; otherwise the sign stays. Beyond the unit's limit: range error.
    Result<Ok> set(Unit unit, std::int64_t amount);

    // Nanosecond for the zero span.
    Unit largest_unit() const noexcept;
    bool has_calendar_units() const noexcept;
    // Only years, months, weeks and days.
    Span calendar_part() const noexcept;

    Span negated() const noexcept {
        Span s = *this;
        s.sign_ = static_cast<std::int8_t>(-s.sign_);
        return s;
    }
    Result<Span> checked_mul(std::int64_t factor) const;

    // Signed total of hours and smaller units, in nanoseconds.
    __int128 clock_nanos() const noexcept;
    // Signed total with weeks of 7 and days of 24 hours (months and years must be zero).
    __int128 invariant_nanos() const noexcept;

    // The nanoseconds spread over `largest` (at most weeks) and every smaller unit.
    static Result<Span> from_nanos(Unit largest, __int128 nanos);

    friend bool operator==(const Span&, const Span&) = default;

private:
    void fix_sign_after_zeroing() noexcept;

    std::int8_t sign_ = 0;
    std::array<std::int64_t, kUnitCount> units_{};
};

}  // namespace orvel::datetime
