// Sums, differences and zoned arithmetic through formulas are checked against Python's
// datetime and zoneinfo in tests/python/test_datetime.py.
#include "datetime/arithmetic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "datetime/iso_text.h"
#include "datetime/span_text.h"

namespace orvel::datetime {
namespace {

Span span(std::string_view text) {
    auto s = parse_span(text);
    EXPECT_TRUE(s.has_value()) << text;
    return s ? *s : Span{};
}

std::string iso(const Span& s) {
    std::string out;
    append_span_iso(out, s);
    return out;
}

std::string iso(const DateTime& dt) {
    std::string out;
    append_datetime(out, dt);
    return out;
}

constexpr Date kEpoch{1970, 1, 1};

// Spans with days or longer units are measured from the relative date, which must stay in range.
TEST(SpanRelative, CountCalendarUnitsFromTheRelativeDate) {
    EXPECT_EQ(*span_compare(span("P1M"), span("P30D"), Date{2024, 3, 1}),
              std::strong_ordering::greater);
    EXPECT_EQ(*span_compare(span("P1M"), span("P30D"), Date{2024, 2, 1}),
              std::strong_ordering::less);
    EXPECT_EQ(*span_compare(span("PT1H"), span("PT59M"), kEpoch), std::strong_ordering::greater);
    EXPECT_EQ(*span_elapsed_nanos(span("PT36H"), kEpoch), __int128{36} * 3600 * kNanosPerSecond);
    EXPECT_EQ(*span_elapsed_nanos(span("P1M"), Date{2024, 2, 1}), __int128{29} * kNanosPerDay);
    const Date last{9999, 12, 31};
    EXPECT_TRUE(span_elapsed_nanos(span("P19998Y"), kEpoch).error().is_range);
    EXPECT_FALSE(span_elapsed_nanos(span("P1D"), last).has_value());
    EXPECT_FALSE(span_sum(span("P19998Y"), span("P1D"), kEpoch).has_value());
    EXPECT_FALSE(span_sum(span("P1D"), span("PT1H"), last).has_value());
    EXPECT_FALSE(span_compare(span("P1D"), span("PT1H"), last).has_value());
    EXPECT_EQ(iso(*span_sum(span("PT1H"), span("PT1H"), last)), "PT2H");
    EXPECT_EQ(iso(*span_sum(span("PT0.000000001S"), span("PT0.000000001S"), kEpoch)),
              "PT0.000000002S");
}

TEST(TemporalPlusSpan, TimesWrapAtMidnightExactlyForHugeSpans) {
    EXPECT_EQ(wrapping_add(Time{23, 0, 0, 0}, span("PT2H")), (Time{1, 0, 0, 0}));
    EXPECT_EQ(wrapping_add(Time{1, 0, 0, 0}, span("-PT2H")), (Time{23, 0, 0, 0}));
    EXPECT_EQ(wrapping_add(Time{23, 0, 0, 0}, span("PT1H")), (Time{0, 0, 0, 0}));
    Span huge;
    ASSERT_TRUE(huge.set(Unit::Nanosecond, INT64_MAX).has_value());
    ASSERT_TRUE(huge.set(Unit::Hour, 175'307'616).has_value());
    // 9223372036854775807 ns = 106751 d 23:47:16.854775807; the hours are whole days.
    EXPECT_EQ(wrapping_add(Time{0, 0, 0, 0}, huge), (Time{23, 47, 16, 854'775'807}));
}

TEST(Differences, EachKindHasItsLargestUnit) {
    EXPECT_EQ(iso(*difference(Date{2024, 3, 1}, Date{2024, 1, 1})), "P60D");
    EXPECT_EQ(iso(*difference(Date{2024, 1, 1}, Date{2024, 3, 1})), "-P60D");
    EXPECT_EQ(iso(*difference(Date{2024, 1, 1}, Date{2024, 1, 1})), "PT0S");
    EXPECT_EQ(iso(*difference(Time{10, 30, 0, 0}, Time{9, 0, 0, 0})), "PT1H30M");
    EXPECT_EQ(iso(*difference(DateTime{{2024, 1, 2}, {2, 0, 0, 0}}, DateTime{{2024, 1, 1}, {}})),
              "P1DT2H");
    EXPECT_EQ(iso(*difference(Date{9999, 12, 31}, Date{-9999, 1, 1})), "P7304483D");
    // A clock part one nanosecond against the dates still borrows a day.
    EXPECT_EQ(iso(*difference(DateTime{{2024, 1, 1}, {0, 0, 0, 1}}, DateTime{{2024, 1, 2}, {}})),
              "-PT23H59M59.999999999S");
}

std::int64_t uniform(std::mt19937_64& rng, std::int64_t low, std::int64_t high) {
    return std::uniform_int_distribution<std::int64_t>(low, high)(rng);
}

__int128 floor_div(__int128 a, __int128 b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// The span from `from` to `to` counted the long way. The date part runs from `from`'s date to
// the last date (the first, going back) on which `from`'s clock time is not past `to`; in it,
// whole months count while `from`'s day in the month reached, before any clamping, does not
// pass the end date, and the days left follow. The clock part is what remains.
Span until_model(const DateTime& from, const DateTime& to, Unit largest) {
    const __int128 total = civil_nanos(to) - civil_nanos(from);
    const int sign = total > 0 ? 1 : total < 0 ? -1 : 0;
    const __int128 shifted = civil_nanos(to) - nanos_of_day(from.time);
    const __int128 end_day =
        sign >= 0 ? floor_div(shifted, kNanosPerDay) : -floor_div(-shifted, kNanosPerDay);
    const Date end = civil_from_days(static_cast<std::int64_t>(end_day));
    Span span = *Span::from_nanos(Unit::Hour, civil_nanos(to) - civil_nanos({end, from.time}));
    std::int64_t days = epoch_day(end) - epoch_day(from.date);
    std::int64_t months = 0;
    if (largest >= Unit::Month) {
        const Date d1 = from.date;
        auto passes = [&](std::int64_t count) {
            const std::int64_t index = d1.year * 12 + d1.month - 1 + sign * count;
            const std::int64_t year = static_cast<std::int64_t>(floor_div(index, 12));
            const auto reached = std::tuple(year, index - year * 12 + 1, std::int64_t{d1.day});
            const auto last =
                std::tuple(std::int64_t{end.year}, std::int64_t{end.month}, std::int64_t{end.day});
            return sign > 0 ? reached > last : reached < last;
        };
        months = std::abs((end.year * 12 + end.month) - (d1.year * 12 + d1.month));
        if (passes(months)) --months;
        days = epoch_day(end) - epoch_day(*add_months(d1, sign * months));
    }
    const std::int64_t years = largest == Unit::Year ? months / 12 : 0;
    const std::int64_t weeks = largest == Unit::Week ? days / 7 : 0;
    EXPECT_TRUE(span.set(Unit::Year, sign * years).has_value());
    EXPECT_TRUE(span.set(Unit::Month, sign * (months - years * 12)).has_value());
    EXPECT_TRUE(span.set(Unit::Week, weeks).has_value());
    EXPECT_TRUE(span.set(Unit::Day, days - weeks * 7).has_value());
    return span;
}

DateTime random_datetime(std::mt19937_64& rng) {
    Date date = civil_from_days(uniform(rng, kMinEpochDay, kMaxEpochDay));
    if (uniform(rng, 0, 1) == 0)
        date.day = std::max<std::int32_t>(1, days_in_month(date.year, date.month) -
                                                 static_cast<std::int32_t>(uniform(rng, 0, 3)));
    const Time time =
        uniform(rng, 0, 2) == 0 ? Time{} : time_from_nanos(uniform(rng, 0, kNanosPerDay - 1));
    return {date, time};
}

TEST(Differences, UntilCountsMonthsThenDaysAndAddsBackToTheEnd) {
    std::mt19937_64 rng(5);
    constexpr std::int64_t kReach[] = {3, 70, 800, 8'000'000};
    for (int i = 0; i < 20000; ++i) {
        const DateTime from = random_datetime(rng);
        const std::int64_t reach = kReach[i % 4];
        const std::int64_t to_day = std::clamp(epoch_day(from.date) + uniform(rng, -reach, reach),
                                               kMinEpochDay, kMaxEpochDay);
        DateTime to = random_datetime(rng);
        to.date = civil_from_days(to_day);
        if (i % 5 == 0) to.time = from.time;
        for (Unit largest : {Unit::Year, Unit::Month, Unit::Week, Unit::Day}) {
            auto span = until(from, to, largest);
            ASSERT_TRUE(span.has_value()) << span.error().message;
            ASSERT_EQ(iso(*span), iso(until_model(from, to, largest)))
                << iso(from) << " to " << iso(to) << " by " << static_cast<int>(largest);
            ASSERT_EQ(iso(*add_span(from, *span)), iso(to)) << iso(*span);
        }
    }
}

struct MultipleCase {
    std::string span;
    std::int64_t factor;
    std::string product;  // the ISO text, or "range" for a range error
};

class SpanMultiples : public ::testing::TestWithParam<MultipleCase> {};

TEST_P(SpanMultiples, MayReachEachUnitsLimitExactlyAndNoFurther) {
    const auto& c = GetParam();
    auto product = span(c.span).checked_mul(c.factor);
    if (c.product == "range") {
        ASSERT_FALSE(product.has_value()) << c.span << " * " << c.factor;
        EXPECT_TRUE(product.error().is_range);
        return;
    }
    ASSERT_TRUE(product.has_value())
        << c.span << " * " << c.factor << ": " << product.error().message;
    EXPECT_EQ(iso(*product), c.product);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, SpanMultiples,
    ::testing::Values(
        MultipleCase{"P9999Y", 2, "P19998Y"}, MultipleCase{"P9999Y", -2, "-P19998Y"},
        MultipleCase{"P6666Y", 3, "P19998Y"}, MultipleCase{"P6667Y", 3, "range"},
        MultipleCase{"P119988M", 2, "P239976M"}, MultipleCase{"P119989M", 2, "range"},
        MultipleCase{"P149071W", 7, "P1043497W"}, MultipleCase{"P149072W", 7, "range"},
        MultipleCase{"P3652242D", 2, "P7304484D"}, MultipleCase{"P3652243D", 2, "range"},
        MultipleCase{"PT87653808H", 2, "PT175307616H"}, MultipleCase{"PT87653809H", 2, "range"},
        MultipleCase{"PT5259228480M", 2, "PT10518456960M"},
        MultipleCase{"PT5259228481M", 2, "range"},
        MultipleCase{"PT315553708800S", 2, "PT631107417600S"},
        MultipleCase{"PT315553708801S", 2, "range"}, MultipleCase{"-P9999Y", -2, "P19998Y"},
        MultipleCase{"-P9999Y", 3, "range"},
        // Signs, zero, and factors whose product overflows 64 bits.
        MultipleCase{"P1D", -2, "-P2D"}, MultipleCase{"P1D", 0, "PT0S"},
        MultipleCase{"PT0.000000001S", 3, "PT0.000000003S"}, MultipleCase{"P1Y", 20000, "range"},
        MultipleCase{"P1Y", INT64_MIN, "range"}, MultipleCase{"PT1S", INT64_MAX, "range"}));

TEST(SpanValues, SignRuleFollowsTheFirstNonZeroAndAnyNegative) {
    Span s;
    ASSERT_TRUE(s.set(Unit::Year, 1).has_value());
    ASSERT_TRUE(s.set(Unit::Month, -2).has_value());
    ASSERT_TRUE(s.set(Unit::Week, 0).has_value());
    EXPECT_EQ(iso(s), "-P1Y2M");
    Span t;
    ASSERT_TRUE(t.set(Unit::Year, -1).has_value());
    ASSERT_TRUE(t.set(Unit::Month, 2).has_value());
    EXPECT_EQ(iso(t), "-P1Y2M");
    EXPECT_TRUE(Span{}.set(Unit::Nanosecond, INT64_MIN).error().is_range);
    EXPECT_TRUE(Span{}.set(Unit::Year, -19998).has_value());
    Span zeroed;  // every unit set back to zero: the zero span
    ASSERT_TRUE(zeroed.set(Unit::Year, 1).has_value());
    ASSERT_TRUE(zeroed.set(Unit::Year, 0).has_value());
    EXPECT_EQ(iso(zeroed), "PT0S");
}

// A product past 64 bits is named in full, with its sign.
TEST(SpanValues, RangeErrorsShowTheWholeProduct) {
    const std::string range = " is not in the required range of -631107417600..=631107417600";
    EXPECT_EQ(span("PT631107417600S").checked_mul(INT64_MAX).error().message,
              "parameter 'seconds' with value 5820938507743469585782726003200" + range);
    EXPECT_EQ(span("-PT631107417600S").checked_mul(INT64_MAX).error().message,
              "parameter 'seconds' with value -5820938507743469585782726003200" + range);
    EXPECT_EQ(span("P1Y").checked_mul(-20000).error().message,
              "parameter 'years' with value -20000 is not in the required range of -19998..=19998");
}

}  // namespace
}  // namespace orvel::datetime
