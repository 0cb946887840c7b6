#include "datetime/arithmetic.h"
#include "datetime/function_bodies.h"
#include "datetime/iso_text.h"
#include "datetime/span_text.h"
#include "datetime/strftime.h"

namespace orvel::datetime {

namespace {

constexpr std::string_view kUnsupportedPrefix = "format_custom_value: unsupported type";

template <class Read, class Fields>
ArgResult<std::string> format_payload(std::string_view payload, std::string_view pattern, Read read,
                                      Fields fields) {
    auto value = read(payload);
    if (!value) return fail_library(value.error());
    std::string out;
    if (auto r = format_strftime(out, pattern, fields(*value)); !r) return fail_library(r.error());
    return out;
}

// The text of a temporal value by the pattern. Unsupported tags give a plain (unprefixed) text
// that FORMAT recognises; every other failure is already a "#VALUE!" error text.
ArgResult<std::string> format_custom_value(const core::CellValue& value, std::string_view pattern) {
    const std::string_view tag = value.custom_tag();
    const std::string_view payload = value.custom_data();
    if (tag == kDateTimeTag) {
        return format_payload(payload, pattern, parse_datetime,
                              [](const DateTime& v) { return FormatFields::of(v); });
    }
    if (tag == kZonedTag) {
        auto zoned = parse_zoned(payload);
        if (!zoned) return fail_library(zoned.error());
        std::string out;
        if (auto r = format_strftime(out, pattern, FormatFields::of(*zoned)); !r)
            return fail_library(r.error());
        return out;
    }
    if (tag == kDateTag) {
        return format_payload(payload, pattern, parse_date,
                              [](Date v) { return FormatFields::of(v); });
    }
    if (tag == kTimeTag) {
        return format_payload(payload, pattern, parse_time,
                              [](Time v) { return FormatFields::of(v); });
    }
    return core::unexpected(std::string(kUnsupportedPrefix) + " " + std::string(tag) +
                            " (need jdate, jtime, jdatetime, or jzoned)");
}

// (b - a) in nanoseconds for two values of one temporal kind.
template <class Read, class Nanos>
ArgResult<__int128> nanos_between(const core::CellValue& a, const core::CellValue& b, Read read,
                                  Nanos nanos) {
    auto first = read(a.custom_data());
    if (!first) return fail_library(first.error());
    auto second = read(b.custom_data());
    if (!second) return fail_library(second.error());
    return nanos(*second) - nanos(*first);
}

ArgResult<double> between_seconds(Args args, std::string_view name) {
    if (args.size() != 2) return fail_named(name, "expected 2 temporal args");
    const core::CellValue& a = args[0];
    const core::CellValue& b = args[1];
    if (!a.is_custom() || !b.is_custom()) {
        return fail_named(
            name,
            "both args must be matching temporal values (jdate, jdatetime, jzoned, or jtime)");
    }
    const std::string_view tag = a.custom_tag();
    if (tag != b.custom_tag()) {
        return fail_named(name, "both args must be the same type (got " + std::string(tag) +
                                    " and " + std::string(b.custom_tag()) + ")");
    }
    ArgResult<__int128> nanos = __int128{0};
    if (tag == kDateTag) {
        nanos = nanos_between(a, b, parse_date, [](Date d) {
            return static_cast<__int128>(epoch_day(d)) * kNanosPerDay;
        });
    } else if (tag == kDateTimeTag) {
        nanos =
            nanos_between(a, b, parse_datetime, [](const DateTime& dt) { return civil_nanos(dt); });
    } else if (tag == kZonedTag) {
        nanos = nanos_between(a, b, parse_zoned,
                              [](const Zoned& z) { return z.instant.total_nanos(); });
    } else if (tag == kTimeTag) {
        nanos = nanos_between(a, b, parse_time,
                              [](Time t) { return static_cast<__int128>(nanos_of_day(t)); });
    } else {
        return fail_named(name, "unsupported temporal type " + std::string(tag));
    }
    if (!nanos) return core::unexpected(std::move(nanos).error());
    const auto seconds = static_cast<std::int64_t>(*nanos / kNanosPerSecond);
    const auto rest = static_cast<std::int64_t>(*nanos % kNanosPerSecond);
    return static_cast<double>(seconds) + static_cast<double>(rest) / 1e9;
}

Outcome between(Args args, std::string_view name, double divisor) {
    auto seconds = between_seconds(args, name);
    if (!seconds) return core::unexpected(std::move(seconds).error());
    return core::CellValue::number(*seconds / divisor);
}

template <class Read, class Add, class Pack>
Outcome moved(std::string_view payload, const Span& span, Read read, Add add, Pack pack) {
    auto value = read(payload);
    if (!value) return fail_library(value.error());
    auto result = add(*value, span);
    if (!result) return fail_library(result.error());
    return pack(*result);
}

Outcome add_or_sub(Args args, std::string_view name, bool subtract) {
    if (args.size() != 2) return fail_named(name, "expected 2 args (temporal, jspan)");
    const core::CellValue& temporal = args[0];
    if (!temporal.is_custom())
        return fail_named(name, "arg #1 must be a jdate/jdatetime/jzoned/jtime value");
    const core::CellValue& span_arg = args[1];
    if (!span_arg.is_custom()) return fail_named(name, "arg #2 must be a jspan value");
    if (span_arg.custom_tag() != kSpanTag) {
        return fail_named(
            name, "arg #2 must be a jspan value (got " + std::string(span_arg.custom_tag()) + ")");
    }
    auto parsed = parse_span(span_arg.custom_data());
    if (!parsed) return fail_library(parsed.error());
    const Span span = subtract ? parsed->negated() : *parsed;
    const std::string_view tag = temporal.custom_tag();
    const std::string_view payload = temporal.custom_data();
    if (tag == kDateTimeTag) {
        return moved(
            payload, span, parse_datetime,
            [](const DateTime& v, const Span& s) { return add_span(v, s); }, pack_datetime);
    }
    if (tag == kDateTag) {
        return moved(
            payload, span, parse_date, [](Date v, const Span& s) { return add_span(v, s); },
            pack_date);
    }
    if (tag == kTimeTag) {
        if (span.has_calendar_units())
            return fail_named(name, "span has calendar units; jtime has no calendar anchor");
        auto time = parse_time(payload);
        if (!time) return fail_library(time.error());
        return pack_time(wrapping_add(*time, span));
    }
    if (tag == kZonedTag) {
        return moved(
            payload, span, parse_zoned,
            [](const Zoned& v, const Span& s) { return add_span(v, s); }, pack_zoned);
    }
    return fail_named(
        name, "arg #1 must be a jdate/jdatetime/jzoned/jtime value (got " + std::string(tag) + ")");
}

}  // namespace

Outcome format_fn(Args args) {
    if (args.size() != 2) return fail("FORMAT: expected 2 arg(s), got " + count_text(args.size()));
    if (!args[1].is_text()) return fail("FORMAT: arg #2 (fmt) must be a string");
    if (!args[0].is_custom())
        return fail("FORMAT: arg #1 must be a jdate, jtime, jdatetime, or jzoned value");
    auto text = format_custom_value(args[0], args[1].text_view());
    if (text) return core::CellValue::text(*text);
    if (text.error().starts_with(kUnsupportedPrefix)) {
        return fail("FORMAT: arg #1 must be a date/time/datetime/zoned (" + text.error() + ")");
    }
    return core::unexpected(std::move(text).error());
}

Outcome iso_fn(Args args) {
    if (args.size() != 1) return fail("ISO: expected 1 arg(s), got " + count_text(args.size()));
    if (!args[0].is_custom())
        return fail("ISO: arg #1 must be a jdate, jtime, jdatetime, jzoned, or jspan value");
    return core::CellValue::text(args[0].custom_data());
}

Outcome days_between_fn(Args args) {
    return between(args, "DAYS_BETWEEN", 86400.0);
}
Outcome hours_between_fn(Args args) {
    return between(args, "HOURS_BETWEEN", 3600.0);
}
Outcome minutes_between_fn(Args args) {
    return between(args, "MINUTES_BETWEEN", 60.0);
}
Outcome seconds_between_fn(Args args) {
    return between(args, "SECONDS_BETWEEN", 1.0);
}

Outcome dateadd_fn(Args args) {
    return add_or_sub(args, "DATEADD", false);
}
Outcome datesub_fn(Args args) {
    return add_or_sub(args, "DATESUB", true);
}

}  // namespace orvel::datetime
