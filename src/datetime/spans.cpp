#include "datetime/spans.h"

namespace orvel::datetime {

namespace {

constexpr std::string_view kNames[kUnitCount] = {
    "nanoseconds", "microseconds", "milliseconds", "seconds", "minutes",
    "hours",       "days",         "weeks",        "months",  "years",
};

constexpr std::int64_t kLimits[kUnitCount] = {
    INT64_MAX,                // nanoseconds
    631'107'417'600'000'000,  // microseconds
    631'107'417'600'000,      // milliseconds
    631'107'417'600,          // seconds
    10'518'456'960,           // minutes
    175'307'616,              // hours
    7'304'484,                // days
    1'043'497,                // weeks
    239'976,                  // months
    19'998,                   // years
};

constexpr std::int64_t kNanos[kUnitCount] = {
    1,
    1'000,
    1'000'000,
    1'000'000'000,
    60'000'000'000,
    3'600'000'000'000,
    86'400'000'000'000,
    604'800'000'000'000,
    0,
    0,
};

}  // namespace

std::string_view unit_name(Unit unit) noexcept {
    return kNames[unit_index(unit)];
}
std::int64_t unit_limit(Unit unit) noexcept {
    return kLimits[unit_index(unit)];
}
std::int64_t unit_nanos(Unit unit) noexcept {
    return kNanos[unit_index(unit)];
}

Result<Ok> Span::set(Unit unit, std::int64_t amount) {
    const std::int64_t limit = unit_limit(unit);
    if (amount < -limit || amount > limit) {
        return unexpected(Error::range(unit_name(unit), amount, -limit, limit));
    }
    units_[unit_index(unit)] = amount < 0 ? -amount : amount;
    if (amount < 0) {
        sign_ = -1;
    } else if (amount > 0) {
        if (sign_ == 0) sign_ = 1;
    } else {
        fix_sign_after_zeroing();
    }
    return Ok{};
}

void Span::fix_sign_after_zeroing() noexcept {
    for (std::int64_t u : units_) {
        if (u != 0) return;
    }
    sign_ = 0;
}

Unit Span::largest_unit() const noexcept {
    for (std::size_t i = kUnitCount - 1; i > 0; --i) {
        if (units_[i] != 0) return static_cast<Unit>(i);
    }
    return Unit::Nanosecond;
}

bool Span::has_calendar_units() const noexcept {
    return units_[unit_index(Unit::Year)] != 0 || units_[unit_index(Unit::Month)] != 0 ||
           units_[unit_index(Unit::Week)] != 0 || units_[unit_index(Unit::Day)] != 0;
}

Span Span::calendar_part() const noexcept {
    Span s = *this;
    for (std::size_t i = 0; i < unit_index(Unit::Day); ++i) s.units_[i] = 0;
    s.fix_sign_after_zeroing();
    return s;
}

Result<Span> Span::checked_mul(std::int64_t factor) const {
    if (factor == 0) return Span{};
    if (factor == 1) return *this;
    if (factor == INT64_MIN) {
        return unexpected(Error::range("multiplier", factor, -INT64_MAX, INT64_MAX));
    }
    Span result = *this;
    const std::int64_t magnitude = factor < 0 ? -factor : factor;
    if (factor < 0) result.sign_ = static_cast<std::int8_t>(-result.sign_);
    for (std::size_t i = 0; i < kUnitCount; ++i) {
        std::int64_t product;
        const std::int64_t limit = kLimits[i];
        if (__builtin_mul_overflow(units_[i], magnitude, &product) || product > limit) {
            const __int128 wide = static_cast<__int128>(units_[i]) * magnitude;
            return unexpected(
                Error::range_wide(kNames[i], result.sign_ < 0 ? -wide : wide, -limit, limit));
        }
        result.units_[i] = product;
    }
    return result;
}

__int128 Span::clock_nanos() const noexcept {
    __int128 total = 0;
    for (std::size_t i = 0; i <= unit_index(Unit::Hour); ++i) {
        total += static_cast<__int128>(units_[i]) * kNanos[i];
    }
    return sign_ < 0 ? -total : total;
}

__int128 Span::invariant_nanos() const noexcept {
    __int128 total = 0;
    for (std::size_t i = 0; i <= unit_index(Unit::Week); ++i) {
        total += static_cast<__int128>(units_[i]) * kNanos[i];
    }
    return sign_ < 0 ? -total : total;
}

Result<Span> Span::from_nanos(Unit largest, __int128 nanos) {
    Span span;
    if (largest > Unit::Week) largest = Unit::Week;
    __int128 rest = nanos;
    for (std::size_t i = unit_index(largest) + 1; i-- > 0;) {
        const __int128 count = rest / kNanos[i];
        rest -= count * kNanos[i];
        if (count > kLimits[i] || count < -kLimits[i]) {
            return unexpected(Error::range_wide(kNames[i], count, -kLimits[i], kLimits[i]));
        }
        if (auto r = span.set(static_cast<Unit>(i), static_cast<std::int64_t>(count)); !r) {
            return unexpected(std::move(r).error());
        }
    }
    return span;
}

}  // namespace orvel::datetime
