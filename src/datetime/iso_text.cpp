#include "datetime/iso_text.h"

#include <optional>

#include "datetime/offset_text.h"
#include "datetime/scan.h"
#include "datetime/zone_db.h"

namespace orvel::datetime {

namespace {

void append_padded(std::string& out, std::int64_t value, int width) {
    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = n; i < width; ++i) out += '0';
    while (n > 0) out += digits[--n];
}

}  // namespace

void append_date(std::string& out, Date date) {
    if (date.year < 0) {
        out += '-';
        append_padded(out, -std::int64_t{date.year}, 6);
    } else {
        append_padded(out, date.year, 4);
    }
    out += '-';
    append_padded(out, date.month, 2);
    out += '-';
    append_padded(out, date.day, 2);
}

void append_fraction_digits(std::string& out, std::int32_t nanos) {
    if (nanos == 0) return;
    char digits[9];
    for (int i = 8; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + nanos % 10);
        nanos /= 10;
    }
    int length = 9;
    while (digits[length - 1] == '0') --length;
    out.append(digits, static_cast<std::size_t>(length));
}

void append_time(std::string& out, Time time) {
    append_padded(out, time.hour, 2);
    out += ':';
    append_padded(out, time.minute, 2);
    out += ':';
    append_padded(out, time.second, 2);
    if (time.nanosecond != 0) {
        out += '.';
        append_fraction_digits(out, time.nanosecond);
    }
}

void append_datetime(std::string& out, const DateTime& dt) {
    append_date(out, dt.date);
    out += 'T';
    append_time(out, dt.time);
}

void append_zoned(std::string& out, const Zoned& zoned) {
    append_datetime(out, zoned.local);
    if (zoned.zone.kind() == TimeZone::Kind::Unknown) {
        out += "Z[Etc/Unknown]";
        return;
    }
    append_offset_rounded(out, zoned.offset);
    out += '[';
    if (auto name = zoned.zone.iana_name()) {
        out += *name;
    } else {
        append_offset_rounded(out, zoned.offset);
    }
    out += ']';
}

namespace {

// ---- The grammar shared by the parsers ----

struct ParsedOffset {
    enum class Kind : std::uint8_t { None, Zulu, Numeric };
    Kind kind = Kind::None;
    std::int32_t seconds = 0;
    bool has_seconds = false;
};

struct ParsedZoneAnnotation {
    bool present = false;
    bool is_offset = false;
    std::int32_t offset = 0;
    std::string_view name;
};

struct ParsedText {
    Date date;
    std::optional<Time> time;
    ParsedOffset offset;
    ParsedZoneAnnotation zone;
};

// Parse failures name the position's expectation; the caller adds which text failed.
Error syntax(std::string_view what, const Cursor& c) {
    std::string text(what);
    if (c.done()) {
        text += ", but found end of input";
    } else {
        text += ", but found ";
        text += debug_quote(c.rest().substr(0, 1));
    }
    return Error::plain(std::move(text));
}

Result<std::int32_t> parse_year(Cursor& c) {
    const char sign = c.peek();
    if (sign == '+' || sign == '-') {
        ++c.pos;
        auto digits = c.fixed_digits(6);
        if (!digits) return unexpected(syntax("expected six digit year after sign", c));
        if (*digits == 0 && sign == '-') {
            return unexpected(
                Error::plain("year zero must be written without a sign or a positive sign"));
        }
        const std::int64_t year = sign == '-' ? -*digits : *digits;
        if (year < kMinYear || year > kMaxYear) {
            return unexpected(Error::range("year", year, kMinYear, kMaxYear));
        }
        return static_cast<std::int32_t>(year);
    }
    auto digits = c.fixed_digits(4);
    if (!digits)
        return unexpected(
            syntax("expected four digit year (or leading sign for six digit year)", c));
    return static_cast<std::int32_t>(*digits);
}

Result<std::int64_t> parse_two(Cursor& c, std::string_view what) {
    auto digits = c.fixed_digits(2);
    if (!digits) {
        std::string text = "expected two digit ";
        text += what;
        return unexpected(syntax(text, c));
    }
    return *digits;
}

Result<Date> parse_date_part(Cursor& c) {
    auto year = parse_year(c);
    if (!year) return unexpected(std::move(year).error());
    const bool extended = c.eat('-');
    auto month = parse_two(c, "month");
    if (!month) return unexpected(std::move(month).error());
    if (extended && !c.eat('-')) return unexpected(syntax("expected '-' after month", c));
    auto day = parse_two(c, "day");
    if (!day) return unexpected(std::move(day).error());
    return make_date(*year, *month, *day);
}

// HH[:MM[:SS[.fff]]] or HH[MM[SS[.fff]]]; second 60 reads as 59.
Result<Time> parse_time_part(Cursor& c) {
    auto hour = parse_two(c, "hour");
    if (!hour) return unexpected(std::move(hour).error());
    std::int64_t minute = 0, second = 0;
    std::int32_t nanos = 0;
    const bool extended = c.peek() == ':';
    if (extended ? is_ascii_digit(c.peek(1)) : is_ascii_digit(c.peek())) {
        if (extended) ++c.pos;
        auto m = parse_two(c, "minute");
        if (!m) return unexpected(std::move(m).error());
        minute = *m;
        if (extended ? c.peek() == ':' && is_ascii_digit(c.peek(1)) : is_ascii_digit(c.peek())) {
            if (extended) ++c.pos;
            auto s = parse_two(c, "second");
            if (!s) return unexpected(std::move(s).error());
            second = *s == 60 ? 59 : *s;
            if (c.peek() == '.' || c.peek() == ',') {
                ++c.pos;
                auto fraction = scan_fraction_nanos(c);
                if (!fraction)
                    return unexpected(syntax("expected one to nine digits of fraction", c));
                nanos = *fraction;
            }
        }
    }
    return make_time(*hour, minute, second, nanos);
}

Result<ParsedOffset> parse_offset(Cursor& c) {
    ParsedOffset offset;
    const char sign = c.peek();
    if (sign == 'Z' || sign == 'z') {
        ++c.pos;
        offset.kind = ParsedOffset::Kind::Zulu;
        return offset;
    }
    if (sign != '+' && sign != '-') return offset;
    ++c.pos;
    auto hours = parse_two(c, "hours in UTC offset");
    if (!hours) return unexpected(std::move(hours).error());
    if (*hours > 25) return unexpected(Error::range("offset-hours", *hours, 0, 25));
    std::int64_t minutes = 0, seconds = 0;
    const bool extended = c.peek() == ':';
    if (extended ? is_ascii_digit(c.peek(1)) : is_ascii_digit(c.peek())) {
        if (extended) ++c.pos;
        auto m = parse_two(c, "minutes in UTC offset");
        if (!m) return unexpected(std::move(m).error());
        if (*m > 59) return unexpected(Error::range("offset-minutes", *m, 0, 59));
        minutes = *m;
        if (extended ? c.peek() == ':' && is_ascii_digit(c.peek(1)) : is_ascii_digit(c.peek())) {
            if (extended) ++c.pos;
            auto s = parse_two(c, "seconds in UTC offset");
            if (!s) return unexpected(std::move(s).error());
            if (*s > 59) return unexpected(Error::range("offset-seconds", *s, 0, 59));
            seconds = *s;
            offset.has_seconds = true;
            if (c.peek() == '.' || c.peek() == ',') {
                ++c.pos;
                if (!scan_fraction_nanos(c))
                    return unexpected(syntax("expected one to nine digits of fraction", c));
            }
        }
    }
    const auto total = static_cast<std::int32_t>(*hours * 3600 + minutes * 60 + seconds);
    offset.kind = ParsedOffset::Kind::Numeric;
    offset.seconds = sign == '-' ? -total : total;
    return offset;
}

bool is_annotation_key_byte(char c) noexcept {
    return (c >= 'a' && c <= 'z') || is_ascii_digit(c) || c == '_' || c == '-';
}

// "[name]", "[+HH:MM]" or "[!...]" first, then any "[key=value]" annotations.
Result<ParsedZoneAnnotation> parse_annotations(Cursor& c) {
    ParsedZoneAnnotation zone;
    bool first = true;
    while (c.eat('[')) {
        c.eat('!');
        const std::size_t start = c.pos;
        const std::size_t close = c.text.find(']', start);
        if (close == std::string_view::npos)
            return unexpected(syntax("expected ']' to end annotation", c));
        const std::string_view body = c.text.substr(start, close - start);
        const std::size_t equals = body.find('=');
        if (equals != std::string_view::npos) {
            const std::string_view key = body.substr(0, equals);
            const std::string_view value = body.substr(equals + 1);
            bool valid =
                !key.empty() && !value.empty() && (is_ascii_alpha(key[0]) || key[0] == '_');
            for (char k : key) valid = valid && is_annotation_key_byte(k);
            for (char v : value)
                valid = valid && (is_ascii_alpha(v) || is_ascii_digit(v) || v == '-');
            if (!valid) return unexpected(syntax("expected a valid annotation key=value", c));
        } else {
            if (!first)
                return unexpected(syntax("expected the time zone annotation to come first", c));
            if (body.empty())
                return unexpected(syntax("expected a time zone name or offset in annotation", c));
            if (body[0] == '+' || body[0] == '-') {
                Cursor inner{body, 0};
                auto offset = parse_offset(inner);
                if (!offset) return unexpected(std::move(offset).error());
                if (!inner.done() || offset->has_seconds) {
                    return unexpected(
                        syntax("expected a UTC offset of hours and minutes in annotation", c));
                }
                zone.is_offset = true;
                zone.offset = offset->seconds;
            } else {
                zone.name = body;
            }
            zone.present = true;
        }
        c.pos = close + 1;
        first = false;
    }
    return zone;
}

Result<ParsedText> parse_text(Cursor& c) {
    ParsedText parsed;
    auto date = parse_date_part(c);
    if (!date) return unexpected(std::move(date).error());
    parsed.date = *date;
    const char separator = c.peek();
    if (separator == 'T' || separator == 't' || (separator == ' ' && is_ascii_digit(c.peek(1)))) {
        ++c.pos;
        auto time = parse_time_part(c);
        if (!time) return unexpected(std::move(time).error());
        parsed.time = *time;
        auto offset = parse_offset(c);
        if (!offset) return unexpected(std::move(offset).error());
        parsed.offset = *offset;
    }
    auto zone = parse_annotations(c);
    if (!zone) return unexpected(std::move(zone).error());
    parsed.zone = *zone;
    if (!c.done()) return unexpected(syntax("expected end of input", c));
    return parsed;
}

Error failed(std::string_view what, std::string_view text, Error cause) {
    std::string context = "failed to parse ";
    context += debug_quote(text);
    context += " as ";
    context += what;
    return std::move(cause).context(context);
}

Error zulu_refused(std::string_view what) {
    std::string text = "cannot parse civil ";
    text += what;
    text += " from string with a Zulu offset, parse as a timestamp instead";
    return Error::plain(std::move(text));
}

Result<ParsedText> parse_civil_text(std::string_view text, std::string_view what) {
    Cursor c{text, 0};
    auto parsed = parse_text(c);
    if (!parsed) return unexpected(failed(what, text, std::move(parsed).error()));
    if (parsed->offset.kind == ParsedOffset::Kind::Zulu) {
        return unexpected(failed(what, text, zulu_refused(what)));
    }
    return parsed;
}

// Only the time: an optional "T", the time, an offset (not "Z") and annotations.
Result<Time> parse_time_only(std::string_view text) {
    Cursor c{text, 0};
    if (!c.eat('T')) c.eat('t');
    auto time = parse_time_part(c);
    if (!time) return unexpected(std::move(time).error());
    auto offset = parse_offset(c);
    if (!offset) return unexpected(std::move(offset).error());
    if (offset->kind == ParsedOffset::Kind::Zulu) return unexpected(zulu_refused("time"));
    auto zone = parse_annotations(c);
    if (!zone) return unexpected(std::move(zone).error());
    if (!c.done()) return unexpected(syntax("expected end of input", c));
    return *time;
}

// The instant a parsed offset selects among the zone's offsets at the local time; an offset
// without seconds also matches the zone's offset rounded to minutes (LMT offsets print so).
Result<Zoned> resolve_with_offset(const DateTime& local, const ParsedOffset& parsed,
                                  const TimeZone& zone) {
    const LocalOffsets offsets = zone.offsets_for(local);
    auto matches = [&](std::int32_t candidate) {
        return candidate == parsed.seconds ||
               (!parsed.has_seconds && round_offset_to_minutes(candidate) == parsed.seconds);
    };
    if (offsets.kind == LocalOffsets::Kind::Unique && matches(offsets.before)) {
        return zoned_with_offset(local, offsets.before, zone);
    }
    if (offsets.kind == LocalOffsets::Kind::Fold) {
        if (matches(offsets.before)) return zoned_with_offset(local, offsets.before, zone);
        if (matches(offsets.after)) return zoned_with_offset(local, offsets.after, zone);
    }
    std::string text = "datetime ";
    append_datetime(text, local);
    text +=
        " could not resolve to a timestamp since 'reject' conflict resolution was chosen, and "
        "because datetime has offset ";
    append_offset_display(text, parsed.seconds);
    text += ", but the time zone ";
    text += zone.describe();
    if (offsets.kind == LocalOffsets::Kind::Unique) {
        text += " for the given datetime unambiguously has offset ";
        append_offset_display(text, offsets.before);
    } else {
        text += offsets.kind == LocalOffsets::Kind::Gap
                    ? " for the given datetime falls in a gap between offsets "
                    : " for the given datetime falls in a fold between offsets ";
        append_offset_display(text, offsets.before);
        text += " and ";
        append_offset_display(text, offsets.after);
    }
    return unexpected(Error::plain(std::move(text)));
}

}  // namespace

Result<Date> parse_date(std::string_view text) {
    auto parsed = parse_civil_text(text, "date");
    if (!parsed) return unexpected(std::move(parsed).error());
    return parsed->date;
}

Result<DateTime> parse_datetime(std::string_view text) {
    auto parsed = parse_civil_text(text, "datetime");
    if (!parsed) return unexpected(std::move(parsed).error());
    return DateTime{parsed->date, parsed->time.value_or(Time{})};
}

Result<Time> parse_time(std::string_view text) {
    // A text that reads as a date-time gives its time; anything else is read as a time alone.
    Cursor c{text, 0};
    const bool may_be_date =
        c.peek() == '+' || c.peek() == '-' ||
        (text.size() > 4 && is_ascii_digit(text[0]) && is_ascii_digit(text[1]) &&
         is_ascii_digit(text[2]) && is_ascii_digit(text[3]) &&
         (text[4] == '-' || is_ascii_digit(text[4])));
    if (may_be_date) {
        if (auto parsed = parse_text(c)) {
            if (!parsed->time) {
                return unexpected(failed(
                    "time", text,
                    Error::plain("successfully parsed a date, but no time component was found")));
            }
            if (parsed->offset.kind == ParsedOffset::Kind::Zulu)
                return unexpected(failed("time", text, zulu_refused("time")));
            return *parsed->time;
        }
    }
    auto time = parse_time_only(text);
    if (!time) return unexpected(failed("time", text, std::move(time).error()));
    return *time;
}

Result<Zoned> parse_zoned(std::string_view text) {
    Cursor c{text, 0};
    auto parsed = parse_text(c);
    if (!parsed) return unexpected(failed("zoned datetime", text, std::move(parsed).error()));
    if (!parsed->zone.present) {
        return unexpected(
            failed("zoned datetime", text,
                   Error::plain("failed to find time zone in square brackets, which is "
                                "required for parsing a zoned instant")));
    }
    TimeZone zone;
    if (parsed->zone.is_offset) {
        zone = parsed->zone.offset == 0 ? TimeZone::utc() : TimeZone::fixed(parsed->zone.offset);
    } else {
        auto found = find_zone(parsed->zone.name);
        if (!found) return unexpected(failed("zoned datetime", text, std::move(found).error()));
        zone = *found;
    }
    const DateTime local{parsed->date, parsed->time.value_or(Time{})};
    Result<Zoned> zoned = [&]() -> Result<Zoned> {
        switch (parsed->offset.kind) {
            case ParsedOffset::Kind::Zulu:
                return zoned_with_offset(local, 0, zone);
            case ParsedOffset::Kind::Numeric:
                return resolve_with_offset(local, parsed->offset, zone);
            case ParsedOffset::Kind::None:
                break;
        }
        return zoned_from_local(local, zone, Disambiguation::Compatible);
    }();
    if (!zoned) return unexpected(failed("zoned datetime", text, std::move(zoned).error()));
    return zoned;
}

}  // namespace orvel::datetime
