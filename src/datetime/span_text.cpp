#include "datetime/span_text.h"

#include <optional>

#include "datetime/civil.h"
#include "datetime/iso_text.h"
#include "datetime/scan.h"

namespace orvel::datetime {

void append_span_iso(std::string& out, const Span& span) {
    if (span.is_zero()) {
        out += "PT0S";
        return;
    }
    if (span.sign() < 0) out += '-';
    out += 'P';
    constexpr std::pair<Unit, char> kDateUnits[] = {
        {Unit::Year, 'Y'}, {Unit::Month, 'M'}, {Unit::Week, 'W'}, {Unit::Day, 'D'}};
    for (auto [unit, letter] : kDateUnits) {
        if (span.magnitude(unit) != 0) {
            append_int(out, span.magnitude(unit));
            out += letter;
        }
    }
    const __int128 sub_hour_nanos =
        static_cast<__int128>(span.magnitude(Unit::Second)) * kNanosPerSecond +
        static_cast<__int128>(span.magnitude(Unit::Millisecond)) * 1'000'000 +
        static_cast<__int128>(span.magnitude(Unit::Microsecond)) * 1'000 +
        span.magnitude(Unit::Nanosecond);
    if (span.magnitude(Unit::Hour) == 0 && span.magnitude(Unit::Minute) == 0 && sub_hour_nanos == 0)
        return;
    out += 'T';
    if (span.magnitude(Unit::Hour) != 0) {
        append_int(out, span.magnitude(Unit::Hour));
        out += 'H';
    }
    if (span.magnitude(Unit::Minute) != 0) {
        append_int(out, span.magnitude(Unit::Minute));
        out += 'M';
    }
    if (sub_hour_nanos != 0) {
        append_int128(out, sub_hour_nanos / kNanosPerSecond);
        const auto fraction = static_cast<std::int32_t>(sub_hour_nanos % kNanosPerSecond);
        if (fraction != 0) {
            out += '.';
            append_fraction_digits(out, fraction);
        }
        out += 'S';
    }
}

void append_span_friendly(std::string& out, const Span& span) {
    if (span.is_zero()) {
        out += "0s";
        return;
    }
    constexpr std::pair<Unit, std::string_view> kDesignators[] = {
        {Unit::Year, "y"},        {Unit::Month, "mo"},       {Unit::Week, "w"},
        {Unit::Day, "d"},         {Unit::Hour, "h"},         {Unit::Minute, "m"},
        {Unit::Second, "s"},      {Unit::Millisecond, "ms"}, {Unit::Microsecond, "\xC2\xB5s"},
        {Unit::Nanosecond, "ns"},
    };
    bool first = true;
    for (auto [unit, designator] : kDesignators) {
        if (span.magnitude(unit) == 0) continue;
        if (!first) out += ' ';
        first = false;
        append_int(out, span.magnitude(unit));
        out += designator;
    }
    if (span.sign() < 0) out += " ago";
}

namespace {

Error span_syntax(std::string_view what, const Cursor& c) {
    std::string text(what);
    if (c.done()) {
        text += ", but found end of input";
    } else {
        text += ", but found ";
        text += debug_quote(c.rest().substr(0, 1));
    }
    return Error::plain(std::move(text));
}

Result<std::int64_t> scan_count(Cursor& c) {
    bool overflow = false;
    auto value = c.digits(64, overflow);
    if (!value) return unexpected(span_syntax("expected a number", c));
    if (overflow) return unexpected(Error::plain("number too big to parse into a 64-bit integer"));
    return *value;
}

Result<Ok> set_unit(Span& span, Unit unit, std::int64_t value) {
    return span.set(unit, value);
}

// Spreads a fraction of one `unit` over the smaller units, largest first.
Result<Ok> set_fraction(Span& span, Unit unit, std::int32_t fraction_nanos) {
    if (unit < Unit::Microsecond || unit > Unit::Hour) {
        std::string text = "fractional ";
        text += unit_name(unit);
        text += " are not supported";
        return unexpected(Error::plain(std::move(text)));
    }
    __int128 rest = static_cast<__int128>(fraction_nanos) * unit_nanos(unit) / kNanosPerSecond;
    for (int i = static_cast<int>(unit) - 1; i >= 0 && rest != 0; --i) {
        const auto smaller = static_cast<Unit>(i);
        const __int128 count = rest / unit_nanos(smaller);
        rest -= count * unit_nanos(smaller);
        if (count != 0) {
            if (auto r = span.set(smaller, static_cast<std::int64_t>(count)); !r) return r;
        }
    }
    return Ok{};
}

// ---- ISO 8601 durations ----

std::optional<Unit> iso_unit(char designator, bool time_part) {
    switch (to_ascii_lower(designator)) {
        case 'y':
            return time_part ? std::nullopt : std::optional(Unit::Year);
        case 'm':
            return time_part ? Unit::Minute : Unit::Month;
        case 'w':
            return time_part ? std::nullopt : std::optional(Unit::Week);
        case 'd':
            return time_part ? std::nullopt : std::optional(Unit::Day);
        case 'h':
            return time_part ? std::optional(Unit::Hour) : std::nullopt;
        case 's':
            return time_part ? std::optional(Unit::Second) : std::nullopt;
        default:
            return std::nullopt;
    }
}

Result<Span> parse_iso_duration(Cursor& c, bool negative) {
    Span span;
    c.pos += 1;  // "P" or "p"
    bool time_part = false;
    bool any_unit = false;
    bool units_since_t = false;
    bool fraction_seen = false;
    std::optional<Unit> previous;
    while (!c.done()) {
        if (!time_part && (c.peek() == 'T' || c.peek() == 't')) {
            ++c.pos;
            time_part = true;
            continue;
        }
        if (fraction_seen)
            return unexpected(span_syntax("expected no more units after a fractional unit", c));
        auto count = scan_count(c);
        if (!count) return unexpected(std::move(count).error());
        std::optional<std::int32_t> fraction;
        if (c.peek() == '.' || c.peek() == ',') {
            ++c.pos;
            fraction = scan_fraction_nanos(c);
            if (!fraction)
                return unexpected(span_syntax("expected one to nine digits of fraction", c));
        }
        auto unit = iso_unit(c.peek(), time_part);
        if (!unit)
            return unexpected(span_syntax(time_part
                                              ? "expected a time unit designator (H, M or S)"
                                              : "expected a date unit designator (Y, M, W or D)",
                                          c));
        if (previous && *unit >= *previous) {
            return unexpected(
                span_syntax("expected units in descending order without repetition", c));
        }
        ++c.pos;
        if (fraction && *unit < Unit::Second) {
            return unexpected(
                Error::plain("fractional values are only allowed for hours, minutes or seconds"));
        }
        if (auto r = set_unit(span, *unit, *count); !r) return unexpected(std::move(r).error());
        if (fraction) {
            if (auto r = set_fraction(span, *unit, *fraction); !r)
                return unexpected(std::move(r).error());
            fraction_seen = true;
        }
        previous = unit;
        any_unit = true;
        units_since_t = units_since_t || time_part;
    }
    if (!any_unit) return unexpected(span_syntax("expected at least one unit in duration", c));
    if (time_part && !units_since_t)
        return unexpected(span_syntax("expected at least one time unit after 'T'", c));
    return negative ? span.negated() : span;
}

// ---- The friendly form ----

bool is_friendly_space(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

void skip_spaces(Cursor& c) noexcept {
    while (is_friendly_space(c.peek())) ++c.pos;
}

struct Label {
    std::string_view text;
    Unit unit;
};

// Every accepted label; the longest one matching at the cursor wins.
constexpr Label kLabels[] = {
    {"years", Unit::Year},
    {"year", Unit::Year},
    {"yrs", Unit::Year},
    {"yr", Unit::Year},
    {"y", Unit::Year},
    {"months", Unit::Month},
    {"month", Unit::Month},
    {"mos", Unit::Month},
    {"mo", Unit::Month},
    {"weeks", Unit::Week},
    {"week", Unit::Week},
    {"wks", Unit::Week},
    {"wk", Unit::Week},
    {"w", Unit::Week},
    {"days", Unit::Day},
    {"day", Unit::Day},
    {"d", Unit::Day},
    {"hours", Unit::Hour},
    {"hour", Unit::Hour},
    {"hrs", Unit::Hour},
    {"hr", Unit::Hour},
    {"h", Unit::Hour},
    {"minutes", Unit::Minute},
    {"minute", Unit::Minute},
    {"mins", Unit::Minute},
    {"min", Unit::Minute},
    {"m", Unit::Minute},
    {"seconds", Unit::Second},
    {"second", Unit::Second},
    {"secs", Unit::Second},
    {"sec", Unit::Second},
    {"s", Unit::Second},
    {"milliseconds", Unit::Millisecond},
    {"millisecond", Unit::Millisecond},
    {"millis", Unit::Millisecond},
    {"milli", Unit::Millisecond},
    {"msecs", Unit::Millisecond},
    {"msec", Unit::Millisecond},
    {"ms", Unit::Millisecond},
    {"microseconds", Unit::Microsecond},
    {"microsecond", Unit::Microsecond},
    {"micros", Unit::Microsecond},
    {"micro", Unit::Microsecond},
    {"usecs", Unit::Microsecond},
    {"usec", Unit::Microsecond},
    {"us", Unit::Microsecond},
    {"\xC2\xB5secs", Unit::Microsecond},
    {"\xC2\xB5sec", Unit::Microsecond},
    {"\xC2\xB5s", Unit::Microsecond},
    {"nanoseconds", Unit::Nanosecond},
    {"nanosecond", Unit::Nanosecond},
    {"nanos", Unit::Nanosecond},
    {"nano", Unit::Nanosecond},
    {"nsecs", Unit::Nanosecond},
    {"nsec", Unit::Nanosecond},
    {"ns", Unit::Nanosecond},
};

std::optional<Unit> scan_label(Cursor& c) {
    const std::string_view rest = c.rest();
    const Label* best = nullptr;
    for (const Label& label : kLabels) {
        if (rest.starts_with(label.text) &&
            (best == nullptr || label.text.size() > best->text.size())) {
            best = &label;
        }
    }
    if (best == nullptr) return std::nullopt;
    c.pos += best->text.size();
    return best->unit;
}

// "HH:MM:SS[.fff]" after the hours' digits, which the caller has read. Each field takes any
// number of digits ("1:60:00" is 1 hour 60 minutes); only the units' limits bound them.
Result<Ok> parse_clock(Cursor& c, Span& span, std::int64_t hours) {
    ++c.pos;  // ':'
    auto minutes = scan_count(c);
    if (!minutes) return unexpected(std::move(minutes).error());
    if (!c.eat(':')) return unexpected(span_syntax("expected HH:MM:SS", c));
    auto seconds = scan_count(c);
    if (!seconds) return unexpected(std::move(seconds).error());
    std::int32_t fraction = 0;
    if (c.peek() == '.' || c.peek() == ',') {
        ++c.pos;
        auto f = scan_fraction_nanos(c);
        if (!f) return unexpected(span_syntax("expected one to nine digits of fraction", c));
        fraction = *f;
    }
    if (auto r = span.set(Unit::Hour, hours); !r) return r;
    if (auto r = span.set(Unit::Minute, *minutes); !r) return r;
    if (auto r = span.set(Unit::Second, *seconds); !r) return r;
    return set_fraction(span, Unit::Second, fraction);
}

Result<Span> parse_friendly(Cursor& c) {
    bool negative = false;
    const bool signed_prefix = c.peek() == '+' || c.peek() == '-';
    if (signed_prefix) {
        negative = c.peek() == '-';
        ++c.pos;
        skip_spaces(c);
    }
    Span span;
    std::optional<Unit> previous;
    bool fraction_seen = false;
    bool clock_seen = false;
    while (true) {
        if (fraction_seen || clock_seen) break;
        auto count = scan_count(c);
        if (!count) return unexpected(std::move(count).error());
        if (c.peek() == ':') {
            if (previous && *previous <= Unit::Hour) {
                return unexpected(span_syntax("expected HH:MM:SS only after calendar units", c));
            }
            if (auto r = parse_clock(c, span, *count); !r) return unexpected(std::move(r).error());
            clock_seen = true;
        } else {
            std::optional<std::int32_t> fraction;
            if (c.peek() == '.' || c.peek() == ',') {
                ++c.pos;
                fraction = scan_fraction_nanos(c);
                if (!fraction)
                    return unexpected(span_syntax("expected one to nine digits of fraction", c));
            }
            skip_spaces(c);
            auto unit = scan_label(c);
            if (!unit)
                return unexpected(
                    span_syntax("expected a unit label such as 'd', 'hours' or 'mins'", c));
            if (previous && *unit >= *previous) {
                return unexpected(
                    span_syntax("expected units in descending order without repetition", c));
            }
            if (auto r = span.set(*unit, *count); !r) return unexpected(std::move(r).error());
            if (fraction) {
                if (*unit > Unit::Hour) {
                    return unexpected(Error::plain(
                        "fractional values are only allowed for hours or smaller units"));
                }
                if (auto r = set_fraction(span, *unit, *fraction); !r)
                    return unexpected(std::move(r).error());
                fraction_seen = true;
            }
            previous = unit;
        }
        // Between units: blanks, optionally a comma and more blanks.
        const std::size_t before_gap = c.pos;
        skip_spaces(c);
        if (c.eat(',')) skip_spaces(c);
        if (!is_ascii_digit(c.peek())) {
            c.pos = before_gap;
            break;
        }
    }
    const std::size_t before_suffix = c.pos;
    skip_spaces(c);
    if (c.rest().starts_with("ago") && c.pos > before_suffix) {
        if (signed_prefix)
            return unexpected(
                Error::plain("a sign prefix and an 'ago' suffix cannot both be used"));
        c.pos += 3;
        negative = true;
    } else {
        c.pos = before_suffix;
    }
    if (!c.done()) return unexpected(span_syntax("expected end of input", c));
    return negative ? span.negated() : span;
}

}  // namespace

Result<Span> parse_span(std::string_view text) {
    Cursor c{text, 0};
    Result<Span> span = [&]() -> Result<Span> {
        if (c.done()) return unexpected(Error::plain("an empty string is not a valid duration"));
        const bool has_sign = c.peek() == '+' || c.peek() == '-';
        if (has_sign && c.text.size() == 1) {
            return unexpected(
                Error::plain("expected a duration after the sign, but found end of input"));
        }
        const char first = c.peek(has_sign ? 1 : 0);
        if (first == 'P' || first == 'p') {
            const bool negative = c.peek() == '-';
            if (has_sign) ++c.pos;
            return parse_iso_duration(c, negative);
        }
        return parse_friendly(c);
    }();
    if (!span) {
        std::string context = "failed to parse ";
        context += debug_quote(text);
        context += " as a duration";
        return unexpected(std::move(span).error().context(context));
    }
    return span;
}

}  // namespace orvel::datetime
