#include "datetime/functions.h"

#include <initializer_list>
#include <memory>

#include "datetime/function_bodies.h"

namespace orvel::datetime {

namespace {

struct Entry {
    std::string_view name;
    FunctionBody body;
};

std::optional<core::RegistryError> register_all(core::Registry& registry,
                                                std::initializer_list<Entry> entries) {
    for (const Entry& entry : entries) {
        if (auto error =
                registry.register_function(std::make_shared<DatetimeFn>(entry.name, entry.body))) {
            return error;
        }
    }
    return std::nullopt;
}

// Two readings of the clock may differ: each call is observable, never merged with another.
template <FunctionBody body>
Outcome clock_reading(Args args) {
    core::ObservableCalls::note();
    return body(args);
}

}  // namespace

std::optional<core::RegistryError> register_date_functions(core::Registry& registry) {
    return register_all(registry, {{"DATE", date_fn},
                                   {"TODAY", clock_reading<today_fn>},
                                   {"PARSE_DATE", parse_date_fn}});
}

std::optional<core::RegistryError> register_span_functions(core::Registry& registry) {
    constexpr std::pair<std::string_view, Unit> kUnits[] = {
        {"YEARS", Unit::Year},     {"MONTHS", Unit::Month}, {"WEEKS", Unit::Week},
        {"DAYS", Unit::Day},       {"HOURS", Unit::Hour},   {"MINUTES", Unit::Minute},
        {"SECONDS", Unit::Second},
    };
    for (auto [name, unit] : kUnits) {
        if (auto error = registry.register_function(std::make_shared<UnitFn>(name, unit)))
            return error;
    }
    return register_all(registry, {{"SPAN", span_fn},
                                   {"PARSE_SPAN", parse_span_fn},
                                   {"SPAN_TO_SECONDS", span_to_seconds_fn},
                                   {"SPAN_TO_DAYS", span_to_days_fn}});
}

std::optional<core::RegistryError> register_time_functions(core::Registry& registry) {
    return register_all(registry, {{"TIME", time_fn}, {"PARSE_TIME", parse_time_fn}});
}

std::optional<core::RegistryError> register_datetime_functions(core::Registry& registry) {
    return register_all(registry,
                        {{"DATETIME", datetime_fn}, {"PARSE_DATETIME", parse_datetime_fn}});
}

std::optional<core::RegistryError> register_zoned_functions(core::Registry& registry) {
    return register_all(registry, {{"TIMEZONE", timezone_fn},
                                   {"ZONED", zoned_fn},
                                   {"TO_ZONED", zoned_fn},
                                   {"PARSE_ZONED", parse_zoned_fn},
                                   {"IN_TZ", in_tz_fn},
                                   {"TO_UTC", to_utc_fn},
                                   {"NOW", clock_reading<now_fn>},
                                   {"UTCNOW", clock_reading<utcnow_fn>}});
}

std::optional<core::RegistryError> register_accessors(core::Registry& registry) {
    return register_all(registry, {{"YEAR", year_fn},
                                   {"MONTH", month_fn},
                                   {"DAY", day_fn},
                                   {"WEEKDAY", weekday_fn},
                                   {"DAYOFYEAR", dayofyear_fn},
                                   {"WEEKOFYEAR", weekofyear_fn},
                                   {"QUARTER", quarter_fn},
                                   {"IS_LEAP_YEAR", is_leap_year_fn},
                                   {"HOUR", hour_fn},
                                   {"MINUTE", minute_fn},
                                   {"SECOND", second_fn},
                                   {"NANOSECOND", nanosecond_fn},
                                   {"TZ_NAME", tz_name_fn},
                                   {"TZ_OFFSET_SECONDS", tz_offset_seconds_fn},
                                   {"IS_DST", is_dst_fn},
                                   {"TO_DATE", to_date_fn},
                                   {"TO_TIME", to_time_fn},
                                   {"TO_DATETIME", to_datetime_fn},
                                   {"FORMAT", format_fn},
                                   {"ISO", iso_fn},
                                   {"DAYS_BETWEEN", days_between_fn},
                                   {"HOURS_BETWEEN", hours_between_fn},
                                   {"MINUTES_BETWEEN", minutes_between_fn},
                                   {"SECONDS_BETWEEN", seconds_between_fn},
                                   {"DATEADD", dateadd_fn},
                                   {"DATESUB", datesub_fn}});
}

}  // namespace orvel::datetime
