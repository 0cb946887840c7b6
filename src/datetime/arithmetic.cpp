#include "datetime/arithmetic.h"

namespace orvel::datetime {

namespace {

template <class T>
Error take_error(Result<T>& r) {
    return std::move(r).error();
}

// Days from `from` to `to` as years/months/days (largest year or month) or weeks/days.
Result<Span> date_until(Date d1, Date d2, Unit largest) {
    Span span;
    if (d1 == d2) return span;
    if (largest <= Unit::Week) {
        std::int64_t days = epoch_day(d2) - epoch_day(d1);
        std::int64_t weeks = 0;
        if (largest == Unit::Week) {
            weeks = days / 7;
            days %= 7;
        }
        if (auto r = span.set(Unit::Week, weeks); !r) return unexpected(take_error(r));
        if (auto r = span.set(Unit::Day, days); !r) return unexpected(take_error(r));
        return span;
    }
    std::int64_t year2 = d2.year, month2 = d2.month;
    std::int64_t years = year2 - d1.year;
    std::int64_t months = month2 - d1.month;
    std::int64_t days = d2.day - d1.day;
    if (years != 0 || months != 0) {
        const int sign = years != 0 ? (years > 0 ? 1 : -1) : (months > 0 ? 1 : -1);
        std::int64_t month_length2 = days_in_month(year2, static_cast<std::int32_t>(month2));
        std::int64_t day_correct = 0;
        if ((days > 0 ? 1 : days < 0 ? -1 : 0) == -sign) {
            const std::int64_t original_month_length2 = month_length2;
            std::int64_t index = year2 * 12 + (month2 - 1) - sign;
            year2 = index >= 0 ? index / 12 : -((-index + 11) / 12);
            month2 = index - year2 * 12 + 1;
            years = year2 - d1.year;
            months = month2 - d1.month;
            month_length2 = days_in_month(year2, static_cast<std::int32_t>(month2));
            day_correct = sign < 0 ? -original_month_length2 : month_length2;
        }
        const std::int64_t day0 = d1.day < month_length2 ? d1.day : month_length2;
        days = (d2.day - day0) + day_correct;
        if (years != 0) {
            const int year_sign = years > 0 ? 1 : -1;
            if ((months > 0 ? 1 : months < 0 ? -1 : 0) == -year_sign) {
                year2 -= year_sign;
                years = year2 - d1.year;
                months = month2 - d1.month + 12 * year_sign;
            }
        }
        if (largest == Unit::Month && years != 0) {
            months += years * 12;
            years = 0;
        }
    }
    if (auto r = span.set(Unit::Year, years); !r) return unexpected(take_error(r));
    if (auto r = span.set(Unit::Month, months); !r) return unexpected(take_error(r));
    if (auto r = span.set(Unit::Day, days); !r) return unexpected(take_error(r));
    return span;
}

// A relative date-time must also be a valid instant in UTC.
Result<Ok> check_relative(const DateTime& dt) {
    auto instant = instant_from_nanos(civil_nanos(dt));
    if (!instant) return unexpected(take_error(instant));
    return Ok{};
}

Result<DateTime> relative_add(const DateTime& start, const Span& span) {
    auto end = add_span(start, span);
    if (!end) return end;
    if (auto r = check_relative(*end); !r) return unexpected(take_error(r));
    return end;
}

}  // namespace

Result<Date> add_span(Date date, const Span& span) {
    if (span.is_zero()) return date;
    Date result = date;
    const std::int64_t months = span.get(Unit::Year) * 12 + span.get(Unit::Month);
    if (months != 0) {
        auto moved = add_months(date, months);
        if (!moved) return moved;
        result = *moved;
    }
    const std::int64_t days = span.get(Unit::Week) * 7 + span.get(Unit::Day) +
                              static_cast<std::int64_t>(span.clock_nanos() / kNanosPerDay);
    if (days == 0) return result;
    return add_days(result, days);
}

Result<DateTime> add_span(const DateTime& dt, const Span& span) {
    const __int128 total = nanos_of_day(dt.time) + span.clock_nanos();
    __int128 carry = total / kNanosPerDay;
    __int128 rest = total % kNanosPerDay;
    if (rest < 0) {
        rest += kNanosPerDay;
        --carry;
    }
    auto date = add_span(dt.date, span.calendar_part());
    if (!date) return unexpected(take_error(date));
    if (carry != 0) {
        date = add_days(*date, static_cast<std::int64_t>(carry));
        if (!date) return unexpected(take_error(date));
    }
    return DateTime{*date, time_from_nanos(static_cast<std::int64_t>(rest))};
}

Result<Zoned> add_span(const Zoned& zoned, const Span& span) {
    Instant start = zoned.instant;
    if (span.has_calendar_units()) {
        auto local = add_span(zoned.local, span.calendar_part());
        if (!local) return unexpected(take_error(local));
        auto placed = zoned_from_local(*local, zoned.zone, Disambiguation::Compatible);
        if (!placed) return placed;
        start = placed->instant;
    }
    auto instant = instant_from_nanos(start.total_nanos() + span.clock_nanos());
    if (!instant) return unexpected(take_error(instant));
    return zoned_at(*instant, zoned.zone);
}

Time wrapping_add(Time time, const Span& span) noexcept {
    __int128 total = (nanos_of_day(time) + span.clock_nanos()) % kNanosPerDay;
    if (total < 0) total += kNanosPerDay;
    return time_from_nanos(static_cast<std::int64_t>(total));
}

Result<Span> difference(Date lhs, Date rhs) {
    Span span;
    if (auto r = span.set(Unit::Day, epoch_day(lhs) - epoch_day(rhs)); !r)
        return unexpected(take_error(r));
    return span;
}

Result<Span> difference(Time lhs, Time rhs) {
    return Span::from_nanos(Unit::Hour, nanos_of_day(lhs) - nanos_of_day(rhs));
}

Result<Span> difference(const DateTime& lhs, const DateTime& rhs) {
    return until(rhs, lhs, Unit::Day);
}

Result<Span> difference(const Zoned& lhs, const Zoned& rhs) {
    return Span::from_nanos(Unit::Hour, lhs.instant.total_nanos() - rhs.instant.total_nanos());
}

Result<Span> until(const DateTime& from, const DateTime& to, Unit largest) {
    const Date d1 = from.date;
    Date d2 = to.date;
    const int sign = d2 > d1 ? 1 : d2 < d1 ? -1 : 0;
    std::int64_t time_diff = nanos_of_day(to.time) - nanos_of_day(from.time);
    const int time_sign = time_diff > 0 ? 1 : time_diff < 0 ? -1 : 0;
    if (time_sign == -sign && sign != 0) {
        // The clock part runs against the dates: borrow one day from the date part.
        d2 = civil_from_days(epoch_day(d2) - sign);
        time_diff += sign * kNanosPerDay;
    }
    auto date_span = date_until(d1, d2, largest);
    if (!date_span) return date_span;
    auto span = Span::from_nanos(Unit::Hour, time_diff);
    if (!span) return span;
    for (Unit unit : {Unit::Year, Unit::Month, Unit::Week, Unit::Day}) {
        if (auto r = span->set(unit, date_span->get(unit)); !r) return unexpected(take_error(r));
    }
    return span;
}

Result<Span> span_sum(const Span& a, const Span& b, Date relative) {
    const Unit largest = std::max(a.largest_unit(), b.largest_unit());
    if (largest < Unit::Day)
        return Span::from_nanos(largest, a.invariant_nanos() + b.invariant_nanos());
    const DateTime start{relative, Time{}};
    if (auto r = check_relative(start); !r) return unexpected(take_error(r));
    auto middle = relative_add(start, a);
    if (!middle) return unexpected(take_error(middle));
    auto end = relative_add(*middle, b);
    if (!end) return unexpected(take_error(end));
    return until(start, *end, largest);
}

Result<std::strong_ordering> span_compare(const Span& a, const Span& b, Date relative) {
    const Unit largest = std::max(a.largest_unit(), b.largest_unit());
    if (largest < Unit::Day) return a.invariant_nanos() <=> b.invariant_nanos();
    const DateTime start{relative, Time{}};
    if (auto r = check_relative(start); !r) return unexpected(take_error(r));
    auto end_a = relative_add(start, a);
    if (!end_a) return unexpected(take_error(end_a));
    auto end_b = relative_add(start, b);
    if (!end_b) return unexpected(take_error(end_b));
    return civil_nanos(*end_a) <=> civil_nanos(*end_b);
}

Result<__int128> span_elapsed_nanos(const Span& span, Date relative) {
    if (span.largest_unit() < Unit::Day) return span.invariant_nanos();
    const DateTime start{relative, Time{}};
    if (auto r = check_relative(start); !r) return unexpected(take_error(r));
    auto end = relative_add(start, span);
    if (!end) return unexpected(take_error(end));
    return civil_nanos(*end) - civil_nanos(start);
}

}  // namespace orvel::datetime
