#include <gtest/gtest.h>

#include "function_test_support.h"

namespace orvel::datetime::testing {
namespace {

class Constructors : public ::testing::TestWithParam<CallCase> {};

TEST_P(Constructors, BuildValuesOrReportTheFirstFailingCheck) {
    const auto& c = GetParam();
    EXPECT_EQ(call(c.function, c.args), c.expected) << c.function;
}

const std::string kYearRange =
    "#VALUE! out of range: parameter 'years' with value 19999 is not in the required "
    "range of -19998..=19998";

INSTANTIATE_TEST_SUITE_P(
    Table, Constructors,
    ::testing::Values(
        CallCase{"DATE", {N(2024), N(2), N(29)}, "jdate:2024-02-29"},
        CallCase{"DATE",
                 {N(2023), N(2), N(29)},
                 "#VALUE! out of range: parameter 'day' with value 29 is not in the required range "
                 "of 1..=28"},
        CallCase{"DATE",
                 {N(2024), N(13), N(1)},
                 "#VALUE! out of range: parameter 'month' with value 13 is not in the required "
                 "range of 1..=12"},
        CallCase{"DATE", {N(2024), N(200), N(1)}, "#VALUE! DATE: month must be in -128..=127"},
        CallCase{"DATE", {N(40000), N(1), N(1)}, "#VALUE! DATE: year must be in -32768..=32767"},
        CallCase{"DATE", {N(2024), N(1.5), N(1)}, "#VALUE! DATE: month must be a whole number"},
        CallCase{"DATE", {N(1.5), T("x"), N(1)}, "#VALUE! DATE: arg #2 must be a number"},
        CallCase{"DATE", {N(2024), N(1.5), T("x")}, "#VALUE! DATE: arg #3 must be a number"},
        CallCase{"DATE", {B(true), N(1), N(1)}, "jdate:0001-01-01"},
        CallCase{"DATE", {T("12"), N(1), N(1)}, "jdate:0012-01-01"},
        CallCase{"DATE", {N(2024), E(), N(1)}, "#VALUE! DATE: arg #2 must be a number"},
        CallCase{"DATE",
                 {N(2024), N(3), N(5), N(1)},
                 "#VALUE! DATE: expected 3 args (year, month, day)"},
        CallCase{"DATE", {N(1e300), N(1), N(1)}, "#VALUE! DATE: year must be in -32768..=32767"},
        CallCase{"DATE", {N(0.0 / 0.0), N(1), N(1)}, "#VALUE! DATE: year must be a whole number"},
        CallCase{"DATE", {N(-44), N(3), N(15)}, "jdate:-000044-03-15"},
        CallCase{"TIME", {N(23), N(59), N(59), N(999999999)}, "jtime:23:59:59.999999999"},
        CallCase{"TIME",
                 {N(24), N(0), N(0)},
                 "#VALUE! out of range: parameter 'hour' with value 24 is not in the required "
                 "range of 0..=23"},
        CallCase{"TIME",
                 {N(12), N(0), N(0), N(-1)},
                 "#VALUE! out of range: parameter 'subsec_nanosecond' with value -1 is not in the "
                 "required range "
                 "of 0..=999999999"},
        CallCase{"TIME", {N(300), N(0), N(0)}, "#VALUE! TIME: hour must be in -128..=127"},
        CallCase{"TIME", {N(1.5), T("x"), N(0)}, "#VALUE! TIME: hour must be a whole number"},
        CallCase{"TIME",
                 {N(1), N(2)},
                 "#VALUE! TIME: expected 3 or 4 args (hour, minute, second, [nanos])"},
        CallCase{"TIME",
                 {N(1), N(2), N(3), N(3e9)},
                 "#VALUE! TIME: nanos must be in -2147483648..=2147483647"},
        CallCase{
            "DATETIME", {N(2024), N(6), N(15), N(9), N(30), N(0)}, "jdatetime:2024-06-15T09:30:00"},
        CallCase{"DATETIME",
                 {N(2024), N(6), N(15), N(9), N(30), N(0), N(250000000)},
                 "jdatetime:2024-06-15T09:30:00.25"},
        CallCase{"DATETIME",
                 {N(2024), N(2), N(30), N(24), N(0), N(0)},
                 "#VALUE! out of range: parameter 'day' with value 30 is not in the required range "
                 "of 1..=29"},
        CallCase{"DATETIME",
                 {N(2024), N(2), N(30), N(500), N(0), N(0)},
                 "#VALUE! DATETIME: hour must be in -128..=127"},
        CallCase{"DATETIME",
                 {N(2024)},
                 "#VALUE! DATETIME: expected 6 or 7 args (year, month, day, hour, minute, second, "
                 "[nanos])"},
        CallCase{"YEARS", {N(2)}, "jspan:P2Y"}, CallCase{"HOURS", {N(-3)}, "jspan:-PT3H"},
        CallCase{"SECONDS", {N(0)}, "jspan:PT0S"}, CallCase{"YEARS", {N(19998)}, "jspan:P19998Y"},
        CallCase{"YEARS", {N(19999)}, kYearRange},
        CallCase{"YEARS",
                 {N(1e20)},
                 "#VALUE! out of range: parameter 'years' with value 9223372036854775807 is not in "
                 "the required "
                 "range of -19998..=19998"},
        CallCase{"YEARS", {N(2.5)}, "#VALUE! YEARS: arg must be a whole number"},
        CallCase{"YEARS", {}, "#VALUE! YEARS: expected 1 arg"},
        CallCase{"WEEKS", {T("x")}, "#VALUE! WEEKS: arg #1 must be a number"},
        CallCase{"MINUTES",
                 {N(-1e300)},
                 "#VALUE! out of range: parameter 'minutes' with value -9223372036854775808 is not "
                 "in the "
                 "required range of -10518456960..=10518456960"},
        CallCase{"SPAN", {N(0), N(0), N(0), N(0), N(0), N(0), N(0)}, "jspan:PT0S"},
        CallCase{"SPAN", {N(1), N(-2), N(0), N(0), N(0), N(0), N(0)}, "jspan:-P1Y2M"},
        CallCase{"SPAN", {N(0), N(0), N(0), N(1), N(-2), N(0), N(0)}, "jspan:-P1DT2H"},
        CallCase{"SPAN",
                 {N(0.5), N(0), N(0), N(0), N(0), N(0), N(0)},
                 "#VALUE! SPAN: years must be a whole number"},
        CallCase{"SPAN", {N(19999), N(0.5), N(0), N(0), N(0), N(0), N(0)}, kYearRange},
        CallCase{
            "SPAN",
            {N(1)},
            "#VALUE! SPAN: expected 7 args (years, months, weeks, days, hours, minutes, seconds)"},
        CallCase{"PARSE_SPAN", {T("1 day 2 hours")}, "jspan:P1DT2H"},
        CallCase{"PARSE_SPAN", {N(5)}, "#VALUE! PARSE_SPAN: arg must be a string"},
        CallCase{"PARSE_SPAN", {T("a"), T("b")}, "#VALUE! PARSE_SPAN: expected 1 string arg"},
        CallCase{"SPAN_TO_SECONDS", {C("jspan", "P1M")}, "2678400"},
        CallCase{"SPAN_TO_SECONDS", {C("jspan", "P1M"), C("jdate", "2024-02-01")}, "2505600"},
        CallCase{"SPAN_TO_DAYS", {C("jspan", "P1Y"), C("jdate", "2024-01-01")}, "366"},
        CallCase{"SPAN_TO_DAYS", {C("jspan", "PT36H")}, "1.5"},
        CallCase{"SPAN_TO_SECONDS", {C("jspan", "-PT1.5S")}, "-1.5"},
        CallCase{"SPAN_TO_SECONDS", {C("jspan", "P1D"), E()}, "86400"},
        CallCase{"SPAN_TO_SECONDS",
                 {C("jspan", "P1D"), T("2024-01-01")},
                 "#VALUE! SPAN_TO_SECONDS: arg #2 must be a jdate value or omitted"},
        CallCase{"SPAN_TO_SECONDS",
                 {C("jspan", "P1D"), C("jdate", "2024-02-30")},
                 "#VALUE! out of range: failed to parse \"2024-02-30\" as date: parameter 'day' "
                 "with value 30 is "
                 "not in the required range of 1..=29"},
        CallCase{"SPAN_TO_SECONDS",
                 {C("jdate", "2024-01-01")},
                 "#VALUE! SPAN_TO_SECONDS: arg #1 must be a jspan value"},
        CallCase{"SPAN_TO_DAYS",
                 {},
                 "#VALUE! SPAN_TO_DAYS: expected 1 or 2 args (span, [relative jdate])"},
        CallCase{"PARSE_DATE", {T("2024-01-05"), T("")}, "jdate:2024-01-05"},
        CallCase{"PARSE_DATE", {T("2024-01-05"), E()}, "jdate:2024-01-05"},
        CallCase{"PARSE_DATE",
                 {T("2024-01-05"), N(5)},
                 "#VALUE! PARSE_DATE: arg #2 (fmt) must be a string or omitted"},
        CallCase{"PARSE_DATE", {N(5)}, "#VALUE! PARSE_DATE: arg #1 must be a string"},
        CallCase{
            "PARSE_DATE", {}, "#VALUE! PARSE_DATE: expected 1 or 2 string args (value, [fmt])"},
        CallCase{"PARSE_DATE", {T("05/03/2024"), T("%d/%m/%Y")}, "jdate:2024-03-05"},
        CallCase{"PARSE_DATE",
                 {T("2024-02-30")},
                 "#VALUE! out of range: failed to parse \"2024-02-30\" as date: parameter 'day' "
                 "with value 30 is "
                 "not in the required range of 1..=29"},
        CallCase{"PARSE_TIME", {T("2024"), T("%Y")}, "jtime:00:00:00"},
        CallCase{"PARSE_TIME", {T("7:05 PM"), T("%I:%M %p")}, "jtime:19:05:00"},
        CallCase{"PARSE_DATETIME",
                 {T("2024-06-15 10:30"), T("%Y-%m-%d %H:%M")},
                 "jdatetime:2024-06-15T10:30:00"},
        CallCase{"PARSE_DATETIME", {T("2024-06-15T10:30")}, "jdatetime:2024-06-15T10:30:00"}));

TEST(Constructors, ParseFailuresCarryTheLibraryMessage) {
    EXPECT_EQ(call("PARSE_DATE", {T("05/03/2024")}).substr(0, 33),
              "#VALUE! failed to parse \"05/03/20");
    EXPECT_EQ(call("PARSE_DATE", {T("05/03/2024 x"), T("%d/%m/%Y")}),
              "#VALUE! strptime parsing failed: unconsumed input remaining after parsing: \" x\"");
    EXPECT_EQ(call("PARSE_DATE", {T("2025-02-29"), T("%Y-%m-%d")}).substr(0, 22),
              "#VALUE! out of range: ");
    EXPECT_EQ(call("SPAN_TO_SECONDS", {C("jspan", "P19998Y")}).substr(0, 22),
              "#VALUE! out of range: ");
}

TEST(Constructors, DateFromARangeOfThreeCellsArrivesFlattened) {
    EXPECT_EQ(call("DATE", {N(2024), N(3), N(5)}), "jdate:2024-03-05");
    EXPECT_EQ(call("DATE", {N(2024), N(3), N(5), E()}),
              "#VALUE! DATE: expected 3 args (year, month, day)");
}

}  // namespace
}  // namespace orvel::datetime::testing
