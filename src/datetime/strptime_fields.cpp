// Turning the fields that strptime parsed into dates, times and zoned values.
#include <string>
#include <utility>

#include "datetime/calendar_names.h"
#include "datetime/offset_text.h"
#include "datetime/strptime.h"
#include "datetime/zone_db.h"

namespace orvel::datetime {

namespace {

Error missing_fields(std::string_view what) {
    return Error::plain(std::string(what));
}

Result<Date> date_from_week_number(std::int64_t year, std::int64_t week, std::int64_t weekday,
                                   bool from_sunday) {
    auto jan1 = make_date(year, 1, 1);
    if (!jan1) return jan1;
    const std::int64_t first = epoch_day(*jan1);
    const std::int64_t jan1_weekday = weekday_of_epoch_day(first);  // Monday 1
    std::int64_t day;
    if (from_sunday) {
        const std::int64_t first_sunday = first + (7 - jan1_weekday % 7) % 7;
        day = first_sunday + (week - 1) * 7 + weekday % 7;
    } else {
        const std::int64_t first_monday = first + (8 - jan1_weekday) % 7;
        day = first_monday + (week - 1) * 7 + (weekday - 1);
    }
    auto date = date_from_epoch_day(day);
    if (!date) return date;
    // A week in range whose weekday falls outside the year is a conflict of parsed fields.
    if (date->year != year) {
        std::string text = "weekday `";
        text += kWeekdayNames[weekday - 1];
        text += from_sunday ? "` is not valid for Sunday based week number"
                            : "` is not valid for Monday based week number";
        return unexpected(Error::plain(std::move(text)));
    }
    return date;
}

Result<Ok> check_weekday(const ParsedFields& f, Date date) {
    if (f.weekday && *f.weekday != weekday(date)) {
        std::string text = "parsed weekday ";
        text += kWeekdayNames[*f.weekday - 1];
        text += " does not match weekday ";
        text += kWeekdayNames[weekday(date) - 1];
        text += " from parsed date";
        return unexpected(Error::plain(std::move(text)));
    }
    return Ok{};
}

Result<Date> resolve_date(const ParsedFields& f) {
    const std::optional<std::int64_t>& year = f.year;  // from whichever year field came last
    if (year && f.month && f.day) return make_date(*year, *f.month, *f.day);
    if (f.iso_year && f.iso_week && f.weekday)
        return date_from_iso_week(*f.iso_year, *f.iso_week, *f.weekday);
    if (year && f.day_of_year) {
        const std::int64_t days = is_leap_year(*year) ? 366 : 365;
        if (*f.day_of_year < 1 || *f.day_of_year > days)
            return unexpected(Error::range("day-of-year", *f.day_of_year, 1, days));
        auto jan1 = make_date(*year, 1, 1);
        if (!jan1) return jan1;
        return date_from_epoch_day(epoch_day(*jan1) + *f.day_of_year - 1);
    }
    if (year && f.weekday && (f.week_from_sunday || f.week_from_monday)) {
        return f.week_from_sunday
                   ? date_from_week_number(*year, *f.week_from_sunday, *f.weekday, true)
                   : date_from_week_number(*year, *f.week_from_monday, *f.weekday, false);
    }
    if (!year)
        return unexpected(
            missing_fields("a date requires a year, but the format did not include one"));
    if (!f.month)
        return unexpected(
            missing_fields("a date requires a month, but the format did not include one"));
    return unexpected(missing_fields("a date requires a day, but the format did not include one"));
}

Result<Zoned> place_with_name(const ParsedFields& f, const TimeZone& zone) {
    if (f.timestamp) {
        auto zoned = zoned_at(Instant{*f.timestamp, 0}, zone);
        if (!zoned) return zoned;
        if (f.offset && *f.offset != zoned->offset) {
            return unexpected(
                Error::plain("parsed time zone offset does not match the offset of the parsed "
                             "time zone at the parsed timestamp"));
        }
        return zoned;
    }
    auto dt = fields_to_datetime(f);
    if (!dt) return unexpected(std::move(dt).error());
    if (!f.offset) return zoned_from_local(*dt, zone, Disambiguation::Compatible);
    const LocalOffsets offsets = zone.offsets_for(*dt);
    const bool valid = *f.offset == offsets.before ||
                       (offsets.kind != LocalOffsets::Kind::Unique && *f.offset == offsets.after);
    if (!valid || offsets.kind == LocalOffsets::Kind::Gap) {
        return unexpected(
            Error::plain("parsed time zone offset is not a valid offset for the parsed "
                         "datetime in the parsed time zone"));
    }
    return zoned_with_offset(*dt, *f.offset, zone);
}

Result<Zoned> place_with_offset(const ParsedFields& f) {
    const std::int32_t offset = *f.offset;
    if (offset < -kMaxOffsetSeconds || offset > kMaxOffsetSeconds) {
        return unexpected(Error::range("offset", offset, -kMaxOffsetSeconds, kMaxOffsetSeconds));
    }
    const TimeZone zone = offset == 0 ? TimeZone::utc() : TimeZone::fixed(offset);
    if (f.timestamp) return zoned_at(Instant{*f.timestamp, 0}, zone);
    auto dt = fields_to_datetime(f);
    if (!dt) return unexpected(std::move(dt).error());
    return zoned_with_offset(*dt, offset, zone);
}

}  // namespace

Result<Date> fields_to_date(const ParsedFields& fields) {
    auto date = resolve_date(fields);
    if (!date) return date;
    if (auto r = check_weekday(fields, *date); !r) return unexpected(std::move(r).error());
    return date;
}

Result<Time> fields_to_time(const ParsedFields& f) {
    // Each unit needs all the larger ones: "%H:%S" is refused, not read as zero minutes.
    const std::pair<bool, std::string_view> units[] = {
        {f.hour.has_value(), "hour"},
        {f.minute.has_value(), "minute"},
        {f.second.has_value(), "second"},
        {f.nanosecond.has_value(), "fractional second"}};
    std::size_t missing = 0;
    while (missing < std::size(units) && units[missing].first) ++missing;
    for (std::size_t smaller = missing + 1; smaller < std::size(units); ++smaller) {
        if (!units[smaller].first) continue;
        std::string text = "parsing format did not include ";
        text += units[missing].second;
        text += " directive, but did include ";
        text += units[smaller].second;
        text += " directive (cannot have smaller time units with bigger time units missing)";
        return unexpected(missing_fields(text));
    }
    if (!f.hour) return Time{};
    std::int64_t hour = *f.hour;
    // The meridiem decides the half of the day, whichever clock gave the hour: "23am" is 11:00.
    if (f.pm) hour = hour % 12 + (*f.pm ? 12 : 0);
    return make_time(hour, f.minute.value_or(0), f.second.value_or(0), f.nanosecond.value_or(0));
}

Result<DateTime> fields_to_datetime(const ParsedFields& fields) {
    auto date = fields_to_date(fields);
    if (!date) return unexpected(std::move(date).error());
    auto time = fields_to_time(fields);
    if (!time) return unexpected(std::move(time).error());
    return DateTime{*date, *time};
}

Result<Zoned> fields_to_zoned(const ParsedFields& f) {
    if (f.zone_name) {
        auto zone = find_zone(*f.zone_name);
        if (!zone) return unexpected(std::move(zone).error());
        return place_with_name(f, *zone);
    }
    if (f.offset) return place_with_offset(f);
    if (f.timestamp) return zoned_at(Instant{*f.timestamp, 0}, TimeZone::unknown());
    return unexpected(
        missing_fields("parsing format did not include a time zone offset or an IANA time zone "
                       "name, which is required for a zoned datetime"));
}

std::optional<Zoned> fields_to_zoned_if_zone_given(const ParsedFields& f) {
    if (!f.zone_name && !f.offset) return std::nullopt;
    auto zoned = fields_to_zoned(f);
    if (!zoned) return std::nullopt;
    return *zoned;
}

}  // namespace orvel::datetime
