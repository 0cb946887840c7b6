#include <cmath>
#include <new>

#include "datetime/arithmetic.h"
#include "datetime/function_bodies.h"
#include "datetime/iso_text.h"
#include "datetime/span_text.h"
#include "datetime/strptime.h"

namespace orvel::datetime {

namespace {

// arg_number then ranged_int, the way TIME and DATETIME read each argument.
ArgResult<std::int64_t> ranged_arg(Args args, std::size_t n, std::string_view name,
                                   std::string_view label, IntWidth width) {
    auto number = arg_number(args, n, name);
    if (!number) return core::unexpected(std::move(number).error());
    return ranged_int(name, label, *number, width);
}

// The clock fields of TIME (first = 1) and DATETIME (first = 4): hour, minute, second, nanos.
struct ClockFields {
    std::int64_t values[4] = {0, 0, 0, 0};
};

ArgResult<ClockFields> clock_args(Args args, std::size_t first, std::string_view name) {
    constexpr std::string_view kLabels[] = {"hour", "minute", "second"};
    ClockFields fields;
    for (std::size_t i = 0; i < 3; ++i) {
        auto value = ranged_arg(args, first + i, name, kLabels[i], IntWidth::I8);
        if (!value) return core::unexpected(std::move(value).error());
        fields.values[i] = *value;
    }
    if (args.size() == first + 3) {
        auto value = ranged_arg(args, first + 3, name, "nanos", IntWidth::I32);
        if (!value) return core::unexpected(std::move(value).error());
        fields.values[3] = *value;
    }
    return fields;
}

Result<Time> make_clock(const ClockFields& f) {
    return make_time(f.values[0], f.values[1], f.values[2], f.values[3]);
}

double seconds_of(__int128 nanos) {
    const auto seconds = static_cast<std::int64_t>(nanos / kNanosPerSecond);
    const auto rest = static_cast<std::int64_t>(nanos % kNanosPerSecond);
    return static_cast<double>(seconds) + static_cast<double>(rest) / 1e9;
}

ArgResult<double> span_seconds(Args args, std::string_view name, std::string_view count_message) {
    if (args.empty() || args.size() > 2) return fail(count_message);
    auto span = arg_span(args[0], name);
    if (!span) return core::unexpected(std::move(span).error());
    auto date = arg_optional_date(args, name);
    if (!date) return core::unexpected(std::move(date).error());
    auto nanos = span_elapsed_nanos(*span, date->value_or(Date{1970, 1, 1}));
    if (!nanos) return fail_library(nanos.error());
    return seconds_of(*nanos);
}

// PARSE_DATE, PARSE_TIME, PARSE_DATETIME: the reader without a format, strptime with one.
template <class Reader, class FromFields, class Pack>
Outcome parse_with_optional_format(Args args, std::string_view name, Reader reader,
                                   FromFields from_fields, Pack pack) {
    auto parsed = parse_args(name, args);
    if (!parsed) return core::unexpected(std::move(parsed).error());
    if (!parsed->format) {
        auto value = reader(parsed->text);
        if (!value) return fail_library(value.error());
        return pack(*value);
    }
    auto fields = parse_strptime(parsed->text, *parsed->format);
    if (!fields) return fail_library(fields.error());
    auto value = from_fields(*fields);
    if (!value) return fail_library(value.error());
    return pack(*value);
}

}  // namespace

Outcome date_fn(Args args) {
    constexpr std::string_view kName = "DATE";
    if (args.size() != 3) return fail("DATE: expected 3 args (year, month, day)");
    double numbers[3];
    for (std::size_t i = 0; i < 3; ++i) {
        auto number = arg_number(args, i + 1, kName);
        if (!number) return core::unexpected(std::move(number).error());
        numbers[i] = *number;
    }
    auto year = ranged_int(kName, "year", numbers[0], IntWidth::I16);
    if (!year) return core::unexpected(std::move(year).error());
    auto month = ranged_int(kName, "month", numbers[1], IntWidth::I8);
    if (!month) return core::unexpected(std::move(month).error());
    auto day = ranged_int(kName, "day", numbers[2], IntWidth::I8);
    if (!day) return core::unexpected(std::move(day).error());
    auto date = make_date(*year, *month, *day);
    if (!date) return fail_library(date.error());
    return pack_date(*date);
}

Outcome time_fn(Args args) {
    if (args.size() != 3 && args.size() != 4)
        return fail("TIME: expected 3 or 4 args (hour, minute, second, [nanos])");
    auto fields = clock_args(args, 1, "TIME");
    if (!fields) return core::unexpected(std::move(fields).error());
    auto time = make_clock(*fields);
    if (!time) return fail_library(time.error());
    return pack_time(*time);
}

Outcome datetime_fn(Args args) {
    constexpr std::string_view kName = "DATETIME";
    if (args.size() != 6 && args.size() != 7) {
        return fail(
            "DATETIME: expected 6 or 7 args (year, month, day, hour, minute, second, [nanos])");
    }
    auto year = ranged_arg(args, 1, kName, "year", IntWidth::I16);
    if (!year) return core::unexpected(std::move(year).error());
    auto month = ranged_arg(args, 2, kName, "month", IntWidth::I8);
    if (!month) return core::unexpected(std::move(month).error());
    auto day = ranged_arg(args, 3, kName, "day", IntWidth::I8);
    if (!day) return core::unexpected(std::move(day).error());
    auto fields = clock_args(args, 4, kName);
    if (!fields) return core::unexpected(std::move(fields).error());
    auto date = make_date(*year, *month, *day);
    if (!date) return fail_library(date.error());
    auto time = make_clock(*fields);
    if (!time) return fail_library(time.error());
    return pack_datetime(DateTime{*date, *time});
}

Outcome UnitFn::call(Args args) const {
    try {
        return set_unit(args);
    } catch (const std::bad_alloc&) {
        return core::unexpected(std::string("#VALUE! out of memory"));
    }
}

Outcome UnitFn::set_unit(Args args) const {
    if (args.size() != 1) return fail_named(name_, "expected 1 arg");
    auto number = arg_number(args, 1, name_);
    if (!number) return core::unexpected(std::move(number).error());
    std::int64_t amount;
    if (!whole_number(*number, amount)) return fail_named(name_, "arg must be a whole number");
    Span span;
    if (auto r = span.set(unit_, amount); !r) return fail_library(r.error());
    return pack_span(span);
}

Outcome span_fn(Args args) {
    constexpr std::string_view kName = "SPAN";
    if (args.size() != 7)
        return fail("SPAN: expected 7 args (years, months, weeks, days, hours, minutes, seconds)");
    constexpr std::pair<std::string_view, Unit> kParts[] = {
        {"years", Unit::Year},     {"months", Unit::Month}, {"weeks", Unit::Week},
        {"days", Unit::Day},       {"hours", Unit::Hour},   {"minutes", Unit::Minute},
        {"seconds", Unit::Second},
    };
    Span span;
    for (std::size_t i = 0; i < 7; ++i) {
        auto number = arg_number(args, i + 1, kName);
        if (!number) return core::unexpected(std::move(number).error());
        std::int64_t amount;
        if (!whole_number(*number, amount))
            return fail_named(kName, std::string(kParts[i].first) + " must be a whole number");
        if (auto r = span.set(kParts[i].second, amount); !r) return fail_library(r.error());
    }
    return pack_span(span);
}

Outcome parse_span_fn(Args args) {
    if (args.size() != 1) return fail("PARSE_SPAN: expected 1 string arg");
    if (!args[0].is_text()) return fail("PARSE_SPAN: arg must be a string");
    auto span = parse_span(args[0].text_view());
    if (!span) return fail_library(span.error());
    return pack_span(*span);
}

Outcome span_to_seconds_fn(Args args) {
    auto seconds = span_seconds(args, "SPAN_TO_SECONDS",
                                "SPAN_TO_SECONDS: expected 1 or 2 args (span, [relative jdate])");
    if (!seconds) return core::unexpected(std::move(seconds).error());
    return core::CellValue::number(*seconds);
}

Outcome span_to_days_fn(Args args) {
    auto seconds = span_seconds(args, "SPAN_TO_DAYS",
                                "SPAN_TO_DAYS: expected 1 or 2 args (span, [relative jdate])");
    if (!seconds) return core::unexpected(std::move(seconds).error());
    return core::CellValue::number(*seconds / 86400.0);
}

Outcome parse_date_fn(Args args) {
    return parse_with_optional_format(args, "PARSE_DATE", parse_date, fields_to_date, pack_date);
}

Outcome parse_time_fn(Args args) {
    return parse_with_optional_format(args, "PARSE_TIME", parse_time, fields_to_time, pack_time);
}

Outcome parse_datetime_fn(Args args) {
    return parse_with_optional_format(args, "PARSE_DATETIME", parse_datetime, fields_to_datetime,
                                      pack_datetime);
}

}  // namespace orvel::datetime
