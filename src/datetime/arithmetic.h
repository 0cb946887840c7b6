// Calendar and clock arithmetic: temporal values plus spans, differences, and spans measured
// from a relative date.
#pragma once

#include <compare>

#include "datetime/civil.h"
#include "datetime/error.h"
#include "datetime/instant.h"
#include "datetime/spans.h"

namespace orvel::datetime {

// Years and months together (the day clamped once), then weeks and days, then the clock units
// as whole days truncated toward zero.
Result<Date> add_span(Date date, const Span& span);
// The clock units first (carrying whole days), then the calendar units, then the carried days.
Result<DateTime> add_span(const DateTime& dt, const Span& span);
// Calendar units in the zone's local time placed back compatibly, then clock units as elapsed
// time; without calendar units, elapsed time alone.
Result<Zoned> add_span(const Zoned& zoned, const Span& span);
// Time of day moved by the clock units, wrapping at midnight. Calendar units are ignored; the
// callers refuse them first.
Time wrapping_add(Time time, const Span& span) noexcept;

// lhs - rhs: days only / largest hours / largest days of 24 hours / elapsed, largest hours.
Result<Span> difference(Date lhs, Date rhs);
Result<Span> difference(Time lhs, Time rhs);
Result<Span> difference(const DateTime& lhs, const DateTime& rhs);
Result<Span> difference(const Zoned& lhs, const Zoned& rhs);

// The span from `from` to `to` with `largest` (a day or longer) as its largest unit.
Result<Span> until(const DateTime& from, const DateTime& to, Unit largest);

// Spans relative to midnight of `relative`: sums balanced up to the larger largest unit,
// comparison of elapsed times, and the elapsed time in nanoseconds.
Result<Span> span_sum(const Span& a, const Span& b, Date relative);
Result<std::strong_ordering> span_compare(const Span& a, const Span& b, Date relative);
Result<__int128> span_elapsed_nanos(const Span& span, Date relative);

}  // namespace orvel::datetime
