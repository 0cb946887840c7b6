#include "datetime/posix_tz.h"

#include <algorithm>

#include "datetime/civil.h"
#include "datetime/instant.h"
#include "datetime/scan.h"

namespace orvel::datetime {

namespace {

bool scan_posix_name(Cursor& c) {
    if (c.eat('<')) {
        std::size_t count = 0;
        while (is_ascii_alpha(c.peek()) || is_ascii_digit(c.peek()) || c.peek() == '+' ||
               c.peek() == '-') {
            ++c.pos;
            ++count;
        }
        return count >= 3 && c.eat('>');
    }
    std::size_t count = 0;
    while (is_ascii_alpha(c.peek())) {
        ++c.pos;
        ++count;
    }
    return count >= 3;
}

// [+-]hh[:mm[:ss]] as signed seconds, the sign as written.
std::optional<std::int32_t> scan_posix_offset(Cursor& c, int max_hours) {
    int sign = 1;
    if (c.peek() == '+' || c.peek() == '-') sign = c.text[c.pos++] == '-' ? -1 : 1;
    bool overflow = false;
    auto hours = c.digits(max_hours > 99 ? 3 : 2, overflow);
    if (!hours || *hours > max_hours) return std::nullopt;
    std::int64_t total = *hours * 3600;
    for (int part = 0; part < 2 && c.peek() == ':'; ++part) {
        ++c.pos;
        auto value = c.fixed_digits(2);
        if (!value || *value > 59) return std::nullopt;
        total += *value * (part == 0 ? 60 : 1);
    }
    return static_cast<std::int32_t>(sign * total);
}

std::optional<PosixRuleDate> scan_posix_rule_date(Cursor& c) {
    PosixRuleDate date;
    bool overflow = false;
    if (c.eat('M')) {
        auto month = c.digits(2, overflow);
        if (!month || *month < 1 || *month > 12 || !c.eat('.')) return std::nullopt;
        auto week = c.digits(1, overflow);
        if (!week || *week < 1 || *week > 5 || !c.eat('.')) return std::nullopt;
        auto day = c.digits(1, overflow);
        if (!day || *day > 6) return std::nullopt;
        date.kind = PosixRuleDate::Kind::MonthWeekDay;
        date.month = static_cast<std::int32_t>(*month);
        date.week = static_cast<std::int32_t>(*week);
        date.day = static_cast<std::int32_t>(*day);
    } else {
        const bool julian = c.eat('J');
        auto day = c.digits(3, overflow);
        if (!day || *day > 365 || (julian && *day < 1)) return std::nullopt;
        date.kind = julian ? PosixRuleDate::Kind::JulianDay : PosixRuleDate::Kind::ZeroBasedDay;
        date.day = static_cast<std::int32_t>(*day);
    }
    if (c.eat('/')) {
        auto time = scan_posix_offset(c, kMaxPosixRuleTimeHours);
        if (!time) return std::nullopt;
        date.time = *time;
    }
    return date;
}

constexpr PosixRuleDate kDefaultStart{PosixRuleDate::Kind::MonthWeekDay, 0, 3, 2, 2 * 3600};
constexpr PosixRuleDate kDefaultEnd{PosixRuleDate::Kind::MonthWeekDay, 0, 11, 1, 2 * 3600};

// Days since 1970-01-01 of the rule's date in `year`.
std::int64_t rule_epoch_day(const PosixRuleDate& date, std::int64_t year) noexcept {
    const std::int64_t new_year = days_from_civil(year, 1, 1);
    switch (date.kind) {
        case PosixRuleDate::Kind::JulianDay:
            return new_year + date.day - 1 + (is_leap_year(year) && date.day >= 60 ? 1 : 0);
        case PosixRuleDate::Kind::ZeroBasedDay:
            return new_year + date.day;
        case PosixRuleDate::Kind::MonthWeekDay:
            break;
    }
    const std::int64_t first = days_from_civil(year, date.month, 1);
    const std::int32_t first_weekday = weekday_of_epoch_day(first);  // Sunday 7, 0 mod 7
    std::int32_t into_month = (date.day - first_weekday + 7) % 7 + (date.week - 1) * 7;
    if (into_month >= days_in_month(year, date.month)) into_month -= 7;
    return first + into_month;
}

}  // namespace

std::optional<PosixZone> parse_posix_tz(std::string_view text) {
    Cursor c{text, 0};
    if (!scan_posix_name(c)) return std::nullopt;
    auto standard = scan_posix_offset(c, kMaxPosixOffsetHours);
    if (!standard) return std::nullopt;
    PosixZone zone{-*standard, std::nullopt};
    if (c.done()) return zone;
    if (!scan_posix_name(c)) return std::nullopt;
    PosixDaylightSaving daylight{zone.standard_offset + 3600, kDefaultStart, kDefaultEnd};
    if (c.peek() != ',' && !c.done()) {
        auto offset = scan_posix_offset(c, kMaxPosixOffsetHours);
        if (!offset) return std::nullopt;
        daylight.offset = -*offset;
    }
    if (c.eat(',')) {
        auto start = scan_posix_rule_date(c);
        if (!start || !c.eat(',')) return std::nullopt;
        auto end = scan_posix_rule_date(c);
        if (!end) return std::nullopt;
        daylight.start = *start;
        daylight.end = *end;
    }
    if (!c.done()) return std::nullopt;
    zone.daylight = daylight;
    return zone;
}

std::int64_t posix_transition_seconds(const PosixRuleDate& date, std::int64_t year,
                                      std::int32_t offset_before) noexcept {
    return rule_epoch_day(date, year) * kSecondsPerDay + date.time - offset_before;
}

std::int32_t posix_offset_at(const PosixZone& zone, std::int64_t unix_seconds) noexcept {
    if (!zone.daylight) return zone.standard_offset;
    const PosixDaylightSaving& daylight = *zone.daylight;
    // Both changes come from the instant's own year even when a rule time pushes one into the
    // next or last, as the C library reads a rule; a start after the end (southern hemisphere)
    // puts daylight saving outside [end, start).
    unix_seconds = std::clamp(unix_seconds, kMinInstantSecond, kMaxInstantSecond);
    const std::int64_t year = civil_from_days(unix_seconds / kSecondsPerDay -
                                              (unix_seconds % kSecondsPerDay < 0 ? 1 : 0))
                                  .year;
    const std::int64_t start = posix_transition_seconds(daylight.start, year, zone.standard_offset);
    const std::int64_t end = posix_transition_seconds(daylight.end, year, daylight.offset);
    const bool in_daylight = start <= end ? start <= unix_seconds && unix_seconds < end
                                          : unix_seconds < end || start <= unix_seconds;
    return in_daylight ? daylight.offset : zone.standard_offset;
}

}  // namespace orvel::datetime
