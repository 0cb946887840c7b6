#include "datetime/civil.h"

namespace orvel::datetime {

Date civil_from_days(std::int64_t days) noexcept {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t day_of_era = days - era * 146097;
    const std::int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const std::int64_t day_of_year =
        day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const std::int64_t mp = (5 * day_of_year + 2) / 153;
    const std::int64_t day = day_of_year - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = year_of_era + era * 400 + (month <= 2);
    return Date{static_cast<std::int32_t>(year), static_cast<std::int32_t>(month),
                static_cast<std::int32_t>(day)};
}

Result<Date> make_date(std::int64_t year, std::int64_t month, std::int64_t day) {
    if (year < kMinYear || year > kMaxYear)
        return unexpected(Error::range("year", year, kMinYear, kMaxYear));
    if (month < 1 || month > 12) return unexpected(Error::range("month", month, 1, 12));
    const std::int32_t last = days_in_month(year, static_cast<std::int32_t>(month));
    if (day < 1 || day > last) return unexpected(Error::range("day", day, 1, last));
    return Date{static_cast<std::int32_t>(year), static_cast<std::int32_t>(month),
                static_cast<std::int32_t>(day)};
}

Result<Time> make_time(std::int64_t hour, std::int64_t minute, std::int64_t second,
                       std::int64_t nanosecond) {
    if (hour < 0 || hour > 23) return unexpected(Error::range("hour", hour, 0, 23));
    if (minute < 0 || minute > 59) return unexpected(Error::range("minute", minute, 0, 59));
    if (second < 0 || second > 59) return unexpected(Error::range("second", second, 0, 59));
    if (nanosecond < 0 || nanosecond > 999'999'999) {
        return unexpected(Error::range("subsec_nanosecond", nanosecond, 0, 999'999'999));
    }
    return Time{static_cast<std::int32_t>(hour), static_cast<std::int32_t>(minute),
                static_cast<std::int32_t>(second), static_cast<std::int32_t>(nanosecond)};
}

Result<Date> date_from_epoch_day(std::int64_t days) {
    if (days < kMinEpochDay || days > kMaxEpochDay) {
        return unexpected(Error::range("day", days, kMinEpochDay, kMaxEpochDay));
    }
    return civil_from_days(days);
}

std::int32_t weekday_of_epoch_day(std::int64_t days) noexcept {
    // 1970-01-01 was a Thursday (4).
    std::int64_t index = (days + 3) % 7;
    if (index < 0) index += 7;
    return static_cast<std::int32_t>(index + 1);
}

std::int32_t weekday(Date date) noexcept {
    return weekday_of_epoch_day(epoch_day(date));
}

std::int32_t day_of_year(Date date) noexcept {
    return static_cast<std::int32_t>(epoch_day(date) - days_from_civil(date.year, 1, 1) + 1);
}

namespace {

// Epoch day of the Monday that starts ISO week 1 of `year` (the week holding 4 January).
std::int64_t iso_week_one_monday(std::int64_t year) noexcept {
    const std::int64_t jan4 = days_from_civil(year, 1, 4);
    return jan4 - (weekday_of_epoch_day(jan4) - 1);
}

}  // namespace

IsoWeekDate iso_week_date(Date date) noexcept {
    const std::int64_t day = epoch_day(date);
    std::int64_t year = date.year;
    std::int64_t start = iso_week_one_monday(year + 1);
    if (day >= start) {
        ++year;
    } else {
        start = iso_week_one_monday(year);
        if (day < start) start = iso_week_one_monday(--year);
    }
    return IsoWeekDate{static_cast<std::int32_t>(year),
                       static_cast<std::int32_t>((day - start) / 7 + 1), weekday_of_epoch_day(day)};
}

Result<Date> date_from_iso_week(std::int64_t year, std::int64_t week, std::int64_t weekday) {
    if (year < kMinYear || year > kMaxYear)
        return unexpected(Error::range("year", year, kMinYear, kMaxYear));
    const std::int64_t weeks = (iso_week_one_monday(year + 1) - iso_week_one_monday(year)) / 7;
    if (week < 1 || week > weeks) return unexpected(Error::range("week", week, 1, weeks));
    if (weekday < 1 || weekday > 7) return unexpected(Error::range("weekday", weekday, 1, 7));
    return date_from_epoch_day(iso_week_one_monday(year) + (week - 1) * 7 + (weekday - 1));
}

Time time_from_nanos(std::int64_t nanos) noexcept {
    const std::int64_t seconds = nanos / kNanosPerSecond;
    return Time{static_cast<std::int32_t>(seconds / 3600),
                static_cast<std::int32_t>(seconds / 60 % 60),
                static_cast<std::int32_t>(seconds % 60),
                static_cast<std::int32_t>(nanos % kNanosPerSecond)};
}

Result<Date> add_days(Date date, std::int64_t days) {
    const std::int64_t limit = kMaxEpochDay - kMinEpochDay;
    const std::int64_t day = epoch_day(date) + (days < -limit  ? -limit - 1
                                                : days > limit ? limit + 1
                                                               : days);
    if (day < kMinEpochDay || day > kMaxEpochDay) {
        std::string text = "adding ";
        append_int(text, days);
        text += " days to ";
        append_int(text, date.year);
        text += date.month < 10 ? "-0" : "-";
        append_int(text, date.month);
        text += date.day < 10 ? "-0" : "-";
        append_int(text, date.day);
        text += " leaves the supported range of dates (-9999-01-01 to 9999-12-31)";
        return unexpected(Error::out_of_range(std::move(text)));
    }
    return civil_from_days(day);
}

Result<Date> add_months(Date date, std::int64_t months) {
    // Every representable month count lies far inside int64 once limited to the year range.
    constexpr std::int64_t kLimit = std::int64_t{(kMaxYear - kMinYear + 1)} * 12;
    if (months < -kLimit || months > kLimit)
        return unexpected(Error::range("months", months, -kLimit, kLimit));
    const std::int64_t index = std::int64_t{date.year} * 12 + (date.month - 1) + months;
    const std::int64_t year = index >= 0 ? index / 12 : -((-index + 11) / 12);
    const std::int64_t month = index - year * 12 + 1;
    if (year < kMinYear || year > kMaxYear)
        return unexpected(Error::range("year", year, kMinYear, kMaxYear));
    const std::int32_t last = days_in_month(year, static_cast<std::int32_t>(month));
    return Date{static_cast<std::int32_t>(year), static_cast<std::int32_t>(month),
                date.day < last ? date.day : last};
}

}  // namespace orvel::datetime
