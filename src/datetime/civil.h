// The proleptic Gregorian calendar and civil times of day, years -9999 to 9999.
#pragma once

#include <compare>
#include <cstdint>

#include "datetime/error.h"

namespace orvel::datetime {

inline constexpr std::int32_t kMinYear = -9999;
inline constexpr std::int32_t kMaxYear = 9999;
inline constexpr std::int64_t kNanosPerSecond = 1'000'000'000;
inline constexpr std::int64_t kSecondsPerDay = 86'400;
inline constexpr std::int64_t kNanosPerDay = kSecondsPerDay * kNanosPerSecond;

struct Date {
    std::int32_t year = 1970;
    std::int32_t month = 1;
    std::int32_t day = 1;
    friend auto operator<=>(const Date&, const Date&) = default;
};

struct Time {
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;
    std::int32_t nanosecond = 0;
    friend auto operator<=>(const Time&, const Time&) = default;
};

struct DateTime {
    Date date;
    Time time;
    friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

constexpr bool is_leap_year(std::int64_t year) noexcept {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr std::int32_t days_in_month(std::int64_t year, std::int32_t month) noexcept {
    constexpr std::int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 (negative before it); valid for any year an int64 month count reaches.
constexpr std::int64_t days_from_civil(std::int64_t year, std::int64_t month,
                                       std::int64_t day) noexcept {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t year_of_era = year - era * 400;
    const std::int64_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

constexpr std::int64_t epoch_day(Date d) noexcept {
    return days_from_civil(d.year, d.month, d.day);
}

// The date of an epoch day; the caller keeps `days` within the supported range.
Date civil_from_days(std::int64_t days) noexcept;

inline constexpr std::int64_t kMinEpochDay = days_from_civil(kMinYear, 1, 1);
inline constexpr std::int64_t kMaxEpochDay = days_from_civil(kMaxYear, 12, 31);

// Validating constructors: range errors name the offending field.
Result<Date> make_date(std::int64_t year, std::int64_t month, std::int64_t day);
Result<Time> make_time(std::int64_t hour, std::int64_t minute, std::int64_t second,
                       std::int64_t nanosecond);
Result<Date> date_from_epoch_day(std::int64_t days);

// Monday 1 to Sunday 7.
std::int32_t weekday(Date date) noexcept;
std::int32_t weekday_of_epoch_day(std::int64_t days) noexcept;
// 1 for 1 January.
std::int32_t day_of_year(Date date) noexcept;

struct IsoWeekDate {
    std::int32_t year;
    std::int32_t week;
    std::int32_t weekday;
};
IsoWeekDate iso_week_date(Date date) noexcept;
Result<Date> date_from_iso_week(std::int64_t year, std::int64_t week, std::int64_t weekday);

constexpr std::int64_t nanos_of_day(Time t) noexcept {
    return ((t.hour * 60 + t.minute) * std::int64_t{60} + t.second) * kNanosPerSecond +
           t.nanosecond;
}
// `nanos` within 0 .. kNanosPerDay - 1.
Time time_from_nanos(std::int64_t nanos) noexcept;

// Nanoseconds since 1970-01-01T00:00:00 of the civil date-time (no zone).
constexpr __int128 civil_nanos(DateTime dt) noexcept {
    return static_cast<__int128>(epoch_day(dt.date)) * kNanosPerDay + nanos_of_day(dt.time);
}
// Seconds since 1970-01-01T00:00:00, fraction dropped toward negative infinity.
constexpr std::int64_t civil_seconds(DateTime dt) noexcept {
    return epoch_day(dt.date) * kSecondsPerDay + nanos_of_day(dt.time) / kNanosPerSecond;
}

// Calendar steps with range checks.
Result<Date> add_days(Date date, std::int64_t days);
// Moves by whole months, the day clamped to the target month's length.
Result<Date> add_months(Date date, std::int64_t months);

}  // namespace orvel::datetime
