#include "datetime/function_args.h"

#include <cmath>
#include <new>

#include "datetime/iso_text.h"
#include "datetime/span_text.h"

namespace orvel::datetime {

Outcome DatetimeFn::call(Args args) const {
    try {
        return body_(args);
    } catch (const std::bad_alloc&) {
        return core::unexpected(std::string("#VALUE! out of memory"));
    }
}

core::Unexpected<std::string> fail(std::string_view message) {
    return core::unexpected(value_error_text(message));
}

core::Unexpected<std::string> fail_library(const Error& error) {
    return core::unexpected(library_error_text(error));
}

core::Unexpected<std::string> fail_named(std::string_view name, std::string_view detail) {
    std::string message(name);
    message += ": ";
    message += detail;
    return fail(message);
}

std::string count_text(std::size_t n) {
    std::string text;
    append_int(text, static_cast<std::int64_t>(n));
    return text;
}

ArgResult<double> arg_number(Args args, std::size_t n, std::string_view name) {
    if (n > args.size()) return fail_named(name, "missing arg #" + count_text(n));
    auto number = args[n - 1].as_number();
    if (!number) return fail_named(name, "arg #" + count_text(n) + " must be a number");
    return *number;
}

bool whole_number(double x, std::int64_t& out) noexcept {
    if (!std::isfinite(x) || x != std::trunc(x)) return false;
    if (x >= 9223372036854775808.0) {
        out = INT64_MAX;
    } else if (x <= -9223372036854775808.0) {
        out = INT64_MIN;
    } else {
        out = static_cast<std::int64_t>(x);
    }
    return true;
}

ArgResult<std::int64_t> ranged_int(std::string_view name, std::string_view label, double x,
                                   IntWidth width) {
    std::int64_t value;
    if (!whole_number(x, value))
        return fail_named(name, std::string(label) + " must be a whole number");
    std::int64_t low = 0, high = 0;
    std::string_view low_text, high_text;
    switch (width) {
        case IntWidth::I8:
            low = -128, high = 127, low_text = "-128", high_text = "127";
            break;
        case IntWidth::I16:
            low = -32768, high = 32767, low_text = "-32768", high_text = "32767";
            break;
        case IntWidth::I32:
            low = -2147483648LL, high = 2147483647, low_text = "-2147483648",
            high_text = "2147483647";
            break;
    }
    if (value < low || value > high) {
        std::string detail(label);
        detail += " must be in ";
        detail += low_text;
        detail += "..=";
        detail += high_text;
        return fail_named(name, detail);
    }
    return value;
}

ArgResult<ParseArgs> parse_args(std::string_view name, Args args) {
    if (args.empty() || args.size() > 2)
        return fail_named(name, "expected 1 or 2 string args (value, [fmt])");
    if (!args[0].is_text()) return fail_named(name, "arg #1 must be a string");
    ParseArgs parsed{args[0].text_view(), std::nullopt};
    if (args.size() == 2) {
        const core::CellValue& format = args[1];
        if (format.is_text()) {
            if (!format.text_view().empty()) parsed.format = format.text_view();
        } else if (!format.is_empty()) {
            return fail_named(name, "arg #2 (fmt) must be a string or omitted");
        }
    }
    return parsed;
}

ArgResult<TimeZone> arg_timezone(Args args, std::string_view name) {
    const core::CellValue& arg = args[1];
    std::string_view text;
    if (arg.is_text()) {
        text = arg.text_view();
    } else if (has_tag(arg, kTimeZoneTag)) {
        text = arg.custom_data();
    } else {
        return fail_named(name, "arg #2 must be a jtimezone value or a string");
    }
    auto zone = parse_timezone(text);
    if (!zone) return fail_named(name, zone.error().message);
    return *zone;
}

ArgResult<std::optional<Date>> arg_optional_date(Args args, std::string_view name) {
    if (args.size() < 2 || args[1].is_empty()) return std::optional<Date>();
    if (!has_tag(args[1], kDateTag))
        return fail_named(name, "arg #2 must be a jdate value or omitted");
    auto date = parse_date(args[1].custom_data());
    if (!date) return fail_library(date.error());
    return std::optional<Date>(*date);
}

ArgResult<Span> arg_span(const core::CellValue& arg, std::string_view name) {
    if (!has_tag(arg, kSpanTag)) return fail_named(name, "arg #1 must be a jspan value");
    auto span = parse_span(arg.custom_data());
    if (!span) return fail_library(span.error());
    return *span;
}

ArgResult<Zoned> arg_zoned(const core::CellValue& arg, std::string_view name) {
    if (!has_tag(arg, kZonedTag)) return fail_named(name, "arg #1 must be a jzoned value");
    auto zoned = parse_zoned(arg.custom_data());
    if (!zoned) return fail_library(zoned.error());
    return *zoned;
}

}  // namespace orvel::datetime
