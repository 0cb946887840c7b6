// Sums, differences and zoned arithmetic through formulas are checked against Python's
// datetime and zoneinfo in tests/python/test_datetime.py.
#include "datetime/arithmetic.h"

#include <gtest/gtest.h>

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

std::string iso(Date d) {
    std::string out;
    append_date(out, d);
    return out;
}

std::string iso(const DateTime& dt) {
    std::string out;
    append_datetime(out, dt);
    return out;
}

constexpr Date kEpoch{1970, 1, 1};

struct SumCase {
    std::string a, b, sum;
};

class SpanSums : public ::testing::TestWithParam<SumCase> {};

TEST_P(SpanSums, BalanceUpToTheLargerLargestUnit) {
    auto sum = span_sum(span(GetParam().a), span(GetParam().b), kEpoch);
    ASSERT_TRUE(sum.has_value()) << sum.error().message;
    EXPECT_EQ(iso(*sum), GetParam().sum);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpanSums,
    ::testing::Values(SumCase{"PT1H", "PT90M", "PT2H30M"}, SumCase{"PT90M", "PT30M", "PT120M"},
                      SumCase{"P1D", "PT25H", "P2DT1H"}, SumCase{"P1M", "P1D", "P1M1D"},
                      SumCase{"P1M", "-P1D", "P30D"}, SumCase{"P1Y", "P13M", "P2Y1M"},
                      SumCase{"P1W", "P1D", "P1W1D"}, SumCase{"PT0S", "PT0S", "PT0S"},
                      SumCase{"-PT1H", "PT30M", "-PT30M"}, SumCase{"PT1S", "PT0.5S", "PT1.5S"},
                      // Sums that end on a whole year or a month short of one, either sign.
                      SumCase{"P2Y", "-P3M", "P1Y9M"}, SumCase{"-P2Y", "P3M", "-P1Y9M"},
                      SumCase{"P2Y", "-P12M", "P1Y"}, SumCase{"P1Y", "-P11M", "P1M"},
                      SumCase{"P1Y", "-P1D", "P11M30D"}, SumCase{"P1Y", "-P365D", "PT0S"},
                      SumCase{"P13M", "-P1M", "P12M"}, SumCase{"P1Y1M", "-P31D", "P1Y"},
                      SumCase{"P14M", "-P31D", "P12M28D"}, SumCase{"P2Y", "-P1D", "P1Y11M30D"}));

TEST(SpanRelative, ComparesElapsedTimeFromTheRelativeDate) {
    EXPECT_EQ(*span_compare(span("P1M"), span("P30D"), Date{2024, 2, 1}),
              std::strong_ordering::less);
    EXPECT_EQ(*span_compare(span("PT1H"), span("PT59M"), kEpoch), std::strong_ordering::greater);
    EXPECT_FALSE(span_sum(span("P19998Y"), span("P1D"), kEpoch).has_value());
}

TEST(SpanRelative, ElapsedTimeCountsCalendarUnitsFromTheDate) {
    EXPECT_EQ(*span_elapsed_nanos(span("PT36H"), kEpoch), __int128{36} * 3600 * kNanosPerSecond);
    auto far = span_elapsed_nanos(span("P19998Y"), kEpoch);
    ASSERT_FALSE(far.has_value());
    EXPECT_TRUE(far.error().is_range);
    EXPECT_FALSE(span_elapsed_nanos(span("P1D"), Date{9999, 12, 31}).has_value());
}

struct DateAddCase {
    Date date;
    std::string span;
    std::string result;
};

class DatePlusSpan : public ::testing::TestWithParam<DateAddCase> {};

TEST_P(DatePlusSpan, AddsCalendarUnitsThenDaysThenWholeClockDays) {
    auto got = add_span(GetParam().date, span(GetParam().span));
    ASSERT_TRUE(got.has_value()) << got.error().message;
    EXPECT_EQ(iso(*got), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Table, DatePlusSpan,
                         ::testing::Values(DateAddCase{{2024, 2, 29}, "P1Y1M", "2025-03-29"},
                                           DateAddCase{{2024, 2, 29}, "P1Y", "2025-02-28"},
                                           DateAddCase{{2024, 1, 1}, "P1W2D", "2024-01-10"},
                                           DateAddCase{{2024, 1, 1}, "PT47H", "2024-01-02"},
                                           DateAddCase{{2024, 1, 1}, "-PT47H", "2023-12-31"}));

TEST(TemporalPlusSpan, DateTimesCarryClockUnitsIntoDays) {
    const DateTime dt{{2024, 1, 31}, {23, 0, 0, 0}};
    EXPECT_EQ(iso(*add_span(dt, span("P1MT2H"))), "2024-03-01T01:00:00");
    EXPECT_EQ(iso(*add_span(dt, span("-PT23H30M"))), "2024-01-30T23:30:00");
    EXPECT_FALSE(add_span(DateTime{{9999, 12, 31}, {23, 0, 0, 0}}, span("PT1H")).has_value());
}

TEST(TemporalPlusSpan, TimesWrapAtMidnightExactlyForHugeSpans) {
    EXPECT_EQ(wrapping_add(Time{23, 0, 0, 0}, span("PT2H")), (Time{1, 0, 0, 0}));
    EXPECT_EQ(wrapping_add(Time{1, 0, 0, 0}, span("-PT2H")), (Time{23, 0, 0, 0}));
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
    EXPECT_EQ(iso(*difference(DateTime{{2024, 1, 1}, {}}, DateTime{{2024, 1, 2}, {2, 0, 0, 0}})),
              "-P1DT2H");
    EXPECT_EQ(iso(*difference(DateTime{{2024, 1, 2}, {1, 0, 0, 0}},
                              DateTime{{2024, 1, 1}, {2, 0, 0, 0}})),
              "PT23H");
    EXPECT_EQ(iso(*difference(Date{9999, 12, 31}, Date{-9999, 1, 1})), "P7304483D");
}

TEST(Differences, UntilWithMonthsBorrowsFromTheDatePart) {
    auto s = until(DateTime{{2024, 1, 31}, {}}, DateTime{{2024, 3, 1}, {}}, Unit::Year);
    EXPECT_EQ(iso(*s), "P1M1D");
    s = until(DateTime{{2024, 3, 1}, {}}, DateTime{{2024, 1, 31}, {}}, Unit::Year);
    EXPECT_EQ(iso(*s), "-P1M1D");
    s = until(DateTime{{2020, 2, 29}, {}}, DateTime{{2024, 2, 28}, {}}, Unit::Year);
    EXPECT_EQ(iso(*s), "P3Y11M30D");
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
    ASSERT_TRUE(product.has_value()) << c.span << " * " << c.factor << ": "
                                     << product.error().message;
    EXPECT_EQ(iso(*product), c.product);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, SpanMultiples,
    ::testing::Values(MultipleCase{"P9999Y", 2, "P19998Y"}, MultipleCase{"P9999Y", -2, "-P19998Y"},
                      MultipleCase{"P6666Y", 3, "P19998Y"}, MultipleCase{"P6667Y", 3, "range"},
                      MultipleCase{"P119988M", 2, "P239976M"},
                      MultipleCase{"P119989M", 2, "range"},
                      MultipleCase{"P149071W", 7, "P1043497W"},
                      MultipleCase{"P149072W", 7, "range"},
                      MultipleCase{"P3652242D", 2, "P7304484D"},
                      MultipleCase{"P3652243D", 2, "range"},
                      MultipleCase{"PT87653808H", 2, "PT175307616H"},
                      MultipleCase{"PT87653809H", 2, "range"},
                      MultipleCase{"PT5259228480M", 2, "PT10518456960M"},
                      MultipleCase{"PT5259228481M", 2, "range"},
                      MultipleCase{"PT315553708800S", 2, "PT631107417600S"},
                      MultipleCase{"PT315553708801S", 2, "range"},
                      MultipleCase{"-P9999Y", -2, "P19998Y"}, MultipleCase{"-P9999Y", 3, "range"},
                      // Signs, zero, and factors whose product overflows 64 bits.
                      MultipleCase{"P1D", -2, "-P2D"}, MultipleCase{"P1D", 0, "PT0S"},
                      MultipleCase{"P1Y", 20000, "range"}, MultipleCase{"P1Y", INT64_MIN, "range"},
                      MultipleCase{"PT1S", INT64_MAX, "range"}));

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
}

}  // namespace
}  // namespace orvel::datetime
