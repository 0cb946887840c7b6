#include "datetime/strptime.h"

#include <string>
#include <utility>

#include "datetime/calendar_names.h"
#include "datetime/format_shorthands.h"
#include "datetime/offset_text.h"
#include "datetime/scan.h"
#include "datetime/zone_db.h"

namespace orvel::datetime {

namespace {

Error parse_error(std::string detail) {
    return Error::plain("strptime parsing failed: " + detail);
}

bool is_blank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) noexcept {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (to_ascii_lower(text[i]) != to_ascii_lower(prefix[i])) return false;
    }
    return true;
}

struct Conversion {
    std::optional<int> width;
    int colons = 0;
    bool dot = false;
    char directive = 0;
};

class Parser {
public:
    Parser(std::string_view text, ParsedFields& fields) : in_{text, 0}, fields_(fields) {}

    Result<Ok> run(std::string_view format) {
        std::size_t i = 0;
        while (i < format.size()) {
            const char c = format[i++];
            if (is_blank(c)) {
                skip_blanks();
                continue;
            }
            if (c != '%') {
                if (!in_.eat(c)) return unexpected(mismatch(c));
                continue;
            }
            auto conv = parse_conversion(format, i);
            if (!conv) return unexpected(std::move(conv).error());
            if (auto r = directive(*conv); !r) return r;
        }
        return Ok{};
    }

    bool finished() const noexcept { return in_.done(); }
    std::string_view rest() const noexcept { return in_.rest(); }

private:
    static Result<Conversion> parse_conversion(std::string_view format, std::size_t& i) {
        Conversion conv;
        // One flag, as for formatting; flags do not change what is read.
        if (i < format.size() && (format[i] == '_' || format[i] == '-' || format[i] == '0' ||
                                  format[i] == '^' || format[i] == '#')) {
            ++i;
        }
        if (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            int width = 0;
            while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                width = width * 10 + (format[i++] - '0');
                if (width > 255)
                    return unexpected(parse_error("width in directive is too big (at most 255)"));
            }
            conv.width = width;
        }
        if (i < format.size() && format[i] == '.') {
            conv.dot = true;
            ++i;
            while (i < format.size() && format[i] >= '0' && format[i] <= '9') ++i;
        }
        while (i < format.size() && format[i] == ':' && conv.colons < 3) {
            ++conv.colons;
            ++i;
        }
        if (i >= format.size()) {
            return unexpected(parse_error(
                "expected to find specifier directive after '%', but found end of format string"));
        }
        conv.directive = format[i++];
        if (conv.dot && conv.directive != 'f')
            return unexpected(parse_error("expected 'f' after '%.'"));
        return conv;
    }

    Error mismatch(char expected) const {
        std::string text = "expected to match literal byte ";
        text += debug_quote(std::string_view(&expected, 1));
        text += in_.done() ? " from format string, but found end of input"
                           : " from format string, but found " +
                                 debug_quote(in_.rest().substr(0, 1)) + " in input";
        return parse_error(std::move(text));
    }

    Error expected(const Conversion& conv, std::string_view what) const {
        std::string text = "%";
        text += conv.directive;
        text += " failed: expected ";
        text += what;
        text += in_.done() ? ", but found end of input"
                           : ", but found " + debug_quote(in_.rest().substr(0, 1));
        return parse_error(std::move(text));
    }

    void skip_blanks() noexcept {
        while (is_blank(in_.peek())) ++in_.pos;
    }

    // An unsigned number after any blanks.
    Result<std::int64_t> number(const Conversion& conv, std::size_t digits,
                                std::string_view what) {
        skip_blanks();
        return unsigned_digits(conv, digits, what);
    }

    // After any blanks, an optional sign and an unsigned number.
    Result<std::int64_t> signed_number(const Conversion& conv, std::size_t digits,
                                       std::string_view what) {
        skip_blanks();
        const bool negative = in_.peek() == '-';
        if (negative || in_.peek() == '+') ++in_.pos;
        auto value = unsigned_digits(conv, digits, what);
        if (!value) return value;
        return negative ? -*value : *value;
    }

    // Greedy, up to `digits` digits or the directive's width when that is more.
    Result<std::int64_t> unsigned_digits(const Conversion& conv, std::size_t digits,
                                         std::string_view what) {
        if (conv.width && static_cast<std::size_t>(*conv.width) > digits)
            digits = static_cast<std::size_t>(*conv.width);
        bool overflow = false;
        auto value = in_.digits(digits, overflow);
        if (!value) return unexpected(expected(conv, what));
        // The text is no number we can hold: a parse failure, not a field out of its range.
        if (overflow)
            return unexpected(parse_error("number too big to parse into a 64-bit integer"));
        return *value;
    }

    template <std::size_t N>
    std::optional<int> name(const std::string_view (&full)[N],
                            const std::string_view (&abbreviated)[N]) {
        for (std::size_t i = 0; i < N; ++i) {
            if (starts_with_ignoring_case(in_.rest(), full[i])) {
                in_.pos += full[i].size();
                return static_cast<int>(i);
            }
        }
        for (std::size_t i = 0; i < N; ++i) {
            if (starts_with_ignoring_case(in_.rest(), abbreviated[i])) {
                in_.pos += abbreviated[i].size();
                return static_cast<int>(i);
            }
        }
        return std::nullopt;
    }

    // [+-]HH[MM[SS]] (colons 0), [+-]HH:MM[:SS] (1), [+-]HH:MM:SS (2), [+-]HH[:MM[:SS]] (3).
    Result<std::int32_t> offset(const Conversion& conv, int colons) {
        const char sign = in_.peek();
        if (sign != '+' && sign != '-')
            return unexpected(expected(conv, "'+' or '-' to begin UTC offset"));
        ++in_.pos;
        auto hours = in_.fixed_digits(2);
        if (!hours) return unexpected(expected(conv, "two digit hours in UTC offset"));
        std::int64_t minutes = 0, seconds = 0;
        auto part = [&](bool required, std::int64_t& into) -> Result<bool> {
            const bool with_colon = colons > 0;
            if (with_colon) {
                if (in_.peek() != ':' || !is_ascii_digit(in_.peek(1))) {
                    if (required)
                        return unexpected(expected(conv, "':' and two digits in UTC offset"));
                    return false;
                }
                ++in_.pos;
            } else if (!is_ascii_digit(in_.peek())) {
                if (required) return unexpected(expected(conv, "two digits in UTC offset"));
                return false;
            }
            auto digits = in_.fixed_digits(2);
            if (!digits) return unexpected(expected(conv, "two digits in UTC offset"));
            into = *digits;
            return true;
        };
        auto got_minutes = part(colons == 1 || colons == 2, minutes);
        if (!got_minutes) return unexpected(std::move(got_minutes).error());
        if (*got_minutes) {
            auto got_seconds = part(colons == 2, seconds);
            if (!got_seconds) return unexpected(std::move(got_seconds).error());
        }
        if (*hours > 25) return unexpected(Error::range("offset-hours", *hours, 0, 25));
        if (minutes > 59) return unexpected(Error::range("offset-minutes", minutes, 0, 59));
        if (seconds > 59) return unexpected(Error::range("offset-seconds", seconds, 0, 59));
        const auto total = static_cast<std::int32_t>(*hours * 3600 + minutes * 60 + seconds);
        return sign == '-' ? -total : total;
    }

    Result<Ok> zone_name(const Conversion& conv) {
        if (in_.peek() == '+' || in_.peek() == '-') {
            auto parsed = offset(conv, 3);
            if (!parsed) return unexpected(std::move(parsed).error());
            fields_.offset = *parsed;
            return Ok{};
        }
        const std::size_t start = in_.pos;
        if (!is_ascii_alpha(in_.peek()) && in_.peek() != '_') {
            return unexpected(expected(conv, "the start of an IANA time zone identifier"));
        }
        while (is_ascii_alpha(in_.peek()) || is_ascii_digit(in_.peek()) || in_.peek() == '_' ||
               in_.peek() == '/' || in_.peek() == '+' || in_.peek() == '-' || in_.peek() == '.') {
            ++in_.pos;
        }
        fields_.zone_name = in_.text.substr(start, in_.pos - start);
        return Ok{};
    }

    Result<Ok> fraction(const Conversion& conv) {
        std::size_t count = 0;
        auto nanos = scan_fraction_nanos(in_, &count);
        if (!nanos) return unexpected(expected(conv, "one to nine digits of fractional seconds"));
        fields_.nanosecond = *nanos;
        return Ok{};
    }

    template <class T>
    static Result<Ok> store(Result<T> value, std::optional<std::int64_t>& into) {
        if (!value) return unexpected(std::move(value).error());
        into = *value;
        return Ok{};
    }

    Result<Ok> directive(const Conversion& conv) {
        if (auto expansion = shorthand_expansion(conv.directive)) return run(*expansion);
        switch (conv.directive) {
            case '%':
                if (!in_.eat('%')) return unexpected(mismatch('%'));
                return Ok{};
            case 'n':
            case 't':
                skip_blanks();
                return Ok{};
            case 'Y':
                return store(signed_number(conv, 4, "year"), fields_.year);
            case 'C':
                return store(signed_number(conv, 2, "century"), fields_.century);
            case 'y':
                return store(number(conv, 2, "two digit year"), fields_.year_of_century);
            case 'G':
                return store(signed_number(conv, 4, "ISO 8601 week-based year"), fields_.iso_year);
            case 'g':
                return store(number(conv, 2, "two digit ISO 8601 week-based year"),
                             fields_.iso_year_of_century);
            case 'm':
                return store(number(conv, 2, "month"), fields_.month);
            case 'd':
            case 'e':
                return store(number(conv, 2, "day"), fields_.day);
            case 'j':
                return store(number(conv, 3, "day of year"), fields_.day_of_year);
            case 'V':
                return store(number(conv, 2, "ISO 8601 week number"), fields_.iso_week);
            case 'U':
                return store(number(conv, 2, "week number"), fields_.week_from_sunday);
            case 'W':
                return store(number(conv, 2, "week number"), fields_.week_from_monday);
            case 'H':
            case 'k':
            case 'I':
            case 'l':
                fields_.twelve_hour = conv.directive == 'I' || conv.directive == 'l';
                return store(number(conv, 2, "hour"), fields_.hour);
            case 'M':
                return store(number(conv, 2, "minute"), fields_.minute);
            case 'S':
                return store(number(conv, 2, "second"), fields_.second);
            case 's':
                return store(signed_number(conv, 19, "Unix timestamp"), fields_.timestamp);
            case 'q': {
                std::optional<std::int64_t> quarter;
                return store(number(conv, 1, "quarter"), quarter);
            }
            case 'u': {
                auto r = number(conv, 1, "weekday number");
                if (!r) return unexpected(std::move(r).error());
                if (*r < 1 || *r > 7) return unexpected(Error::range("weekday", *r, 1, 7));
                fields_.weekday = *r;
                return Ok{};
            }
            case 'w': {
                auto r = number(conv, 1, "weekday number");
                if (!r) return unexpected(std::move(r).error());
                if (*r > 6) return unexpected(Error::range("weekday", *r, 0, 6));
                fields_.weekday = *r == 0 ? 7 : *r;
                return Ok{};
            }
            case 'A':
            case 'a': {
                auto index = name(kWeekdayNames, kWeekdayAbbreviations);
                if (!index) return unexpected(expected(conv, "weekday name"));
                fields_.weekday = *index + 1;
                return Ok{};
            }
            case 'B':
            case 'b':
            case 'h': {
                auto index = name(kMonthNames, kMonthAbbreviations);
                if (!index) return unexpected(expected(conv, "month name"));
                fields_.month = *index + 1;
                return Ok{};
            }
            case 'p':
            case 'P':
                if (starts_with_ignoring_case(in_.rest(), "am") ||
                    starts_with_ignoring_case(in_.rest(), "pm")) {
                    fields_.pm = to_ascii_lower(in_.peek()) == 'p';
                    in_.pos += 2;
                    return Ok{};
                }
                return unexpected(expected(conv, "AM or PM"));
            case 'f':
                if (conv.dot) {
                    if (!in_.eat('.')) return Ok{};
                }
                return fraction(conv);
            case 'N':
                return fraction(conv);
            case 'z': {
                auto parsed = offset(conv, conv.colons);
                if (!parsed) return unexpected(std::move(parsed).error());
                fields_.offset = *parsed;
                return Ok{};
            }
            case 'Q':
                return zone_name(conv);
            case 'Z':
                return unexpected(
                    parse_error("%Z cannot be parsed: time zone abbreviations are ambiguous"));
            case 'c':
            case 'r':
            case 'x':
            case 'X': {
                std::string text = "%";
                text += conv.directive;
                text += " cannot be parsed: locale-dependent formats are not supported";
                return unexpected(parse_error(std::move(text)));
            }
            default:
                break;
        }
        std::string detail = "found unrecognized directive ";
        detail += debug_quote(std::string_view(&conv.directive, 1));
        return unexpected(parse_error(std::move(detail)));
    }

    Cursor in_;
    ParsedFields& fields_;
};

std::optional<std::int64_t> resolved_year(const ParsedFields& f) {
    if (f.year) return f.year;
    if (f.year_of_century) {
        if (f.century) return *f.century * 100 + *f.year_of_century;
        return *f.year_of_century + (*f.year_of_century >= 69 ? 1900 : 2000);
    }
    if (f.century) return *f.century * 100;
    return std::nullopt;
}

Error missing_fields(std::string_view what) {
    return Error::plain(std::string(what));
}

Result<Date> date_from_week_number(std::int64_t year, std::int64_t week, std::int64_t weekday,
                                   bool from_sunday) {
    if (week < 0 || week > 53) return unexpected(Error::range("week", week, 0, 53));
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
    const std::optional<std::int64_t> year = resolved_year(f);
    if (year && f.month && f.day) return make_date(*year, *f.month, *f.day);
    std::optional<std::int64_t> iso_year = f.iso_year;
    if (!iso_year && f.iso_year_of_century)
        iso_year = *f.iso_year_of_century + (*f.iso_year_of_century >= 69 ? 1900 : 2000);
    if (iso_year && f.iso_week && f.weekday)
        return date_from_iso_week(*iso_year, *f.iso_week, *f.weekday);
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

Result<ParsedFields> parse_strptime(std::string_view text, std::string_view format) {
    ParsedFields fields;
    Parser parser(text, fields);
    if (auto r = parser.run(format); !r) return unexpected(std::move(r).error());
    if (!parser.finished()) {
        return unexpected(
            parse_error("unconsumed input remaining after parsing: " + debug_quote(parser.rest())));
    }
    return fields;
}

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
    if (f.twelve_hour && (hour < 1 || hour > 12))
        return unexpected(Error::range("hour", hour, 1, 12));
    if (!f.twelve_hour && hour > 23) return unexpected(Error::range("hour", hour, 0, 23));
    // The meridiem decides the half of the day, whichever clock gave the hour: "23am" is 11:00.
    if (f.pm) hour = hour % 12 + (*f.pm ? 12 : 0);
    std::int64_t second = f.second.value_or(0);
    if (second == 60) second = 59;
    return make_time(hour, f.minute.value_or(0), second, f.nanosecond.value_or(0));
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
