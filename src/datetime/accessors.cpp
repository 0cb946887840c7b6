#include "datetime/function_bodies.h"
#include "datetime/iso_text.h"
#include "datetime/offset_text.h"

namespace orvel::datetime {

namespace {

core::Unexpected<std::string> wrong_arity(std::string_view name, std::size_t expected,
                                          std::size_t actual) {
    return fail_named(name,
                      "expected " + count_text(expected) + " arg(s), got " + count_text(actual));
}

// The civil date of a "jdate", "jdatetime" or "jzoned" argument 1 (a zoned value's local date).
ArgResult<Date> arg_date_like(Args args, std::string_view name) {
    if (args.empty()) return fail_named(name, "missing arg #1");
    const core::CellValue& arg = args[0];
    if (!arg.is_custom())
        return fail_named(name, "arg #1 must be a jdate, jdatetime, or jzoned value");
    const std::string_view tag = arg.custom_tag();
    if (tag == kDateTag) {
        auto date = parse_date(arg.custom_data());
        if (!date) return fail_library(date.error());
        return *date;
    }
    if (tag == kDateTimeTag) {
        auto dt = parse_datetime(arg.custom_data());
        if (!dt) return fail_library(dt.error());
        return dt->date;
    }
    if (tag == kZonedTag) {
        auto zoned = parse_zoned(arg.custom_data());
        if (!zoned) return fail_library(zoned.error());
        return zoned->local.date;
    }
    return fail_named(
        name, "arg #1 must be a jdate, jdatetime, or jzoned value (got " + std::string(tag) + ")");
}

// The civil time of a "jtime", "jdatetime" or "jzoned" argument 1 (a zoned value's wall clock).
ArgResult<Time> arg_time_like(Args args, std::string_view name) {
    if (args.empty()) return fail_named(name, "missing arg #1");
    const core::CellValue& arg = args[0];
    if (!arg.is_custom())
        return fail_named(name, "arg #1 must be a jtime, jdatetime, or jzoned value");
    const std::string_view tag = arg.custom_tag();
    if (tag == kTimeTag) {
        auto time = parse_time(arg.custom_data());
        if (!time) return fail_library(time.error());
        return *time;
    }
    if (tag == kDateTimeTag) {
        auto dt = parse_datetime(arg.custom_data());
        if (!dt) return fail_library(dt.error());
        return dt->time;
    }
    if (tag == kZonedTag) {
        auto zoned = parse_zoned(arg.custom_data());
        if (!zoned) return fail_library(zoned.error());
        return zoned->local.time;
    }
    return fail_named(
        name, "arg #1 must be a jtime, jdatetime, or jzoned value (got " + std::string(tag) + ")");
}

ArgResult<Zoned> arg_zoned_only(Args args, std::string_view name) {
    if (args.empty()) return fail_named(name, "missing arg #1");
    return arg_zoned(args[0], name);
}

// One argument read by `read`, then `answer` of its value.
template <class Read, class Answer>
Outcome one_arg(Args args, std::string_view name, Read read, Answer answer) {
    if (args.size() != 1) return wrong_arity(name, 1, args.size());
    auto value = read(args, name);
    if (!value) return core::unexpected(std::move(value).error());
    return answer(*value);
}

core::CellValue number(std::int64_t n) {
    return core::CellValue::number(static_cast<double>(n));
}

}  // namespace

Outcome year_fn(Args args) {
    return one_arg(args, "YEAR", arg_date_like, [](Date d) { return number(d.year); });
}

Outcome month_fn(Args args) {
    return one_arg(args, "MONTH", arg_date_like, [](Date d) { return number(d.month); });
}

Outcome day_fn(Args args) {
    return one_arg(args, "DAY", arg_date_like, [](Date d) { return number(d.day); });
}

Outcome weekday_fn(Args args) {
    if (args.empty() || args.size() > 2)
        return fail("WEEKDAY: expected 1 or 2 args (date, [iso=true])");
    auto date = arg_date_like(args, "WEEKDAY");
    if (!date) return core::unexpected(std::move(date).error());
    bool iso = true;
    if (args.size() == 2) {
        const core::CellValue& flag = args[1];
        if (flag.is_number()) {
            iso = flag.as_double() != 0;  // NaN counts as true
        } else if (flag.is_boolean()) {
            iso = flag.as_bool();
        } else if (!flag.is_empty()) {
            return fail("WEEKDAY: iso arg must be a boolean");
        }
    }
    const std::int32_t monday_based = weekday(*date);
    return number(iso ? monday_based : monday_based % 7 + 1);
}

Outcome dayofyear_fn(Args args) {
    return one_arg(args, "DAYOFYEAR", arg_date_like, [](Date d) { return number(day_of_year(d)); });
}

Outcome weekofyear_fn(Args args) {
    return one_arg(args, "WEEKOFYEAR", arg_date_like,
                   [](Date d) { return number(iso_week_date(d).week); });
}

Outcome quarter_fn(Args args) {
    return one_arg(args, "QUARTER", arg_date_like,
                   [](Date d) { return number((d.month - 1) / 3 + 1); });
}

Outcome is_leap_year_fn(Args args) {
    return one_arg(args, "IS_LEAP_YEAR", arg_date_like,
                   [](Date d) { return core::CellValue::boolean(is_leap_year(d.year)); });
}

Outcome hour_fn(Args args) {
    return one_arg(args, "HOUR", arg_time_like, [](Time t) { return number(t.hour); });
}

Outcome minute_fn(Args args) {
    return one_arg(args, "MINUTE", arg_time_like, [](Time t) { return number(t.minute); });
}

Outcome second_fn(Args args) {
    return one_arg(args, "SECOND", arg_time_like, [](Time t) { return number(t.second); });
}

Outcome nanosecond_fn(Args args) {
    return one_arg(args, "NANOSECOND", arg_time_like, [](Time t) { return number(t.nanosecond); });
}

Outcome tz_name_fn(Args args) {
    return one_arg(args, "TZ_NAME", arg_zoned_only, [](const Zoned& z) {
        if (auto name = z.zone.iana_name()) return core::CellValue::text(*name);
        std::string text;
        append_offset_display(text, z.offset);
        return core::CellValue::text(text);
    });
}

Outcome tz_offset_seconds_fn(Args args) {
    return one_arg(args, "TZ_OFFSET_SECONDS", arg_zoned_only,
                   [](const Zoned& z) { return number(z.offset); });
}

Outcome is_dst_fn(Args args) {
    return one_arg(args, "IS_DST", arg_zoned_only, [](const Zoned& z) {
        return core::CellValue::boolean(z.zone.kind() == TimeZone::Kind::Tzif &&
                                        z.zone.info_at(z.instant.seconds).dst);
    });
}

Outcome to_date_fn(Args args) {
    return one_arg(args, "TO_DATE", arg_date_like, pack_date);
}

Outcome to_time_fn(Args args) {
    return one_arg(args, "TO_TIME", arg_time_like, pack_time);
}

Outcome to_datetime_fn(Args args) {
    if (args.empty() || args.size() > 2)
        return fail("TO_DATETIME: expected 1 or 2 args (date_like, [time])");
    auto date = arg_date_like(args, "TO_DATETIME");
    if (!date) return core::unexpected(std::move(date).error());
    Time time;
    if (args.size() == 2 && !args[1].is_empty()) {
        if (!has_tag(args[1], kTimeTag))
            return fail("TO_DATETIME: arg #2 must be a jtime value or omitted");
        auto parsed = parse_time(args[1].custom_data());
        if (!parsed) return fail_library(parsed.error());
        time = *parsed;
    }
    return pack_datetime(DateTime{*date, time});
}

}  // namespace orvel::datetime
