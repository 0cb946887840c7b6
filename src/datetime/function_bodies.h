// The bodies of the package's functions (internal to the registration code).
#pragma once

#include "datetime/function_args.h"

namespace orvel::datetime {

// One of YEARS .. SECONDS: sets its unit on a zero span.
class UnitFn final : public core::CustomFunction {
public:
    UnitFn(std::string_view name, Unit unit) noexcept : name_(name), unit_(unit) {}
    std::string_view name() const override { return name_; }
    Outcome call(Args args) const override;

private:
    Outcome set_unit(Args args) const;

    std::string_view name_;
    Unit unit_;
};

// Constructors and parsers.
Outcome date_fn(Args args);
Outcome time_fn(Args args);
Outcome datetime_fn(Args args);
Outcome span_fn(Args args);
Outcome parse_span_fn(Args args);
Outcome span_to_seconds_fn(Args args);
Outcome span_to_days_fn(Args args);
Outcome parse_date_fn(Args args);
Outcome parse_time_fn(Args args);
Outcome parse_datetime_fn(Args args);

// Time zones and the clock.
Outcome timezone_fn(Args args);
Outcome zoned_fn(Args args);  // also TO_ZONED
Outcome parse_zoned_fn(Args args);
Outcome in_tz_fn(Args args);
Outcome to_utc_fn(Args args);
Outcome now_fn(Args args);
Outcome utcnow_fn(Args args);
Outcome today_fn(Args args);

// Accessors and conversions.
Outcome year_fn(Args args);
Outcome month_fn(Args args);
Outcome day_fn(Args args);
Outcome weekday_fn(Args args);
Outcome dayofyear_fn(Args args);
Outcome weekofyear_fn(Args args);
Outcome quarter_fn(Args args);
Outcome is_leap_year_fn(Args args);
Outcome hour_fn(Args args);
Outcome minute_fn(Args args);
Outcome second_fn(Args args);
Outcome nanosecond_fn(Args args);
Outcome tz_name_fn(Args args);
Outcome tz_offset_seconds_fn(Args args);
Outcome is_dst_fn(Args args);
Outcome to_date_fn(Args args);
Outcome to_time_fn(Args args);
Outcome to_datetime_fn(Args args);

// Formatting, differences and date arithmetic.
Outcome format_fn(Args args);
Outcome iso_fn(Args args);
Outcome days_between_fn(Args args);
Outcome hours_between_fn(Args args);
Outcome minutes_between_fn(Args args);
Outcome seconds_between_fn(Args args);
Outcome dateadd_fn(Args args);
Outcome datesub_fn(Args args);

}  // namespace orvel::datetime
