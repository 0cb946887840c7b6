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
    "#VALUE! out of range: parameter 'years' with value 19999 is not in the required range of "
    "-19998..=19998";

const CallCase kCases[] = {
    {"DATE", {N(2024), N(2), N(29)}, "jdate:2024-02-29"},
    {"DATE",
     {N(2023), N(2), N(29)},
     "#VALUE! out of range: parameter 'day' with value 29 is not in the required range of 1..=28"},
    {"DATE", {N(2024), N(200), N(1)}, "#VALUE! DATE: month must be in -128..=127"},
    {"DATE", {N(40000), N(1), N(1)}, "#VALUE! DATE: year must be in -32768..=32767"},
    {"DATE", {N(2024), N(1.5), N(1)}, "#VALUE! DATE: month must be a whole number"},
    {"DATE", {N(1.5), T("x"), N(1)}, "#VALUE! DATE: arg #2 must be a number"},
    {"DATE", {B(true), N(1), N(1)}, "jdate:0001-01-01"},
    {"DATE", {T("12"), N(1), N(1)}, "jdate:0012-01-01"},
    {"DATE", {N(2024), E(), N(1)}, "#VALUE! DATE: arg #2 must be a number"},
    {"DATE", {N(2024), N(3), N(5), N(1)}, "#VALUE! DATE: expected 3 args (year, month, day)"},
    {"DATE", {N(1e300), N(1), N(1)}, "#VALUE! DATE: year must be in -32768..=32767"},
    {"DATE", {N(0.0 / 0.0), N(1), N(1)}, "#VALUE! DATE: year must be a whole number"},
    {"TIME",
     {N(24), N(0), N(0)},
     "#VALUE! out of range: parameter 'hour' with value 24 is not in the required range of 0..=23"},
    {"TIME",
     {N(12), N(0), N(0), N(-1)},
     "#VALUE! out of range: parameter 'subsec_nanosecond' with value -1 is not in the required "
     "range of 0..=999999999"},
    {"TIME", {N(300), N(0), N(0)}, "#VALUE! TIME: hour must be in -128..=127"},
    {"TIME", {N(1.5), T("x"), N(0)}, "#VALUE! TIME: hour must be a whole number"},
    {"TIME", {N(1), N(2)}, "#VALUE! TIME: expected 3 or 4 args (hour, minute, second, [nanos])"},
    {"TIME", {N(1), N(2), N(3), N(3e9)}, "#VALUE! TIME: nanos must be in -2147483648..=2147483647"},
    {"DATETIME",
     {N(2024), N(6), N(15), N(9), N(30), N(0), N(250000000)},
     "jdatetime:2024-06-15T09:30:00.25"},
    {"DATETIME",
     {N(2024), N(2), N(30), N(24), N(0), N(0)},
     "#VALUE! out of range: parameter 'day' with value 30 is not in the required range of 1..=29"},
    {"DATETIME",
     {N(2024), N(2), N(30), N(500), N(0), N(0)},
     "#VALUE! DATETIME: hour must be in -128..=127"},
    {"DATETIME",
     {N(2024)},
     "#VALUE! DATETIME: expected 6 or 7 args (year, month, day, hour, minute, second, [nanos])"},
    {"SECONDS", {N(0)}, "jspan:PT0S"},
    {"YEARS", {N(19999)}, kYearRange},
    {"YEARS",
     {N(1e20)},
     "#VALUE! out of range: parameter 'years' with value 9223372036854775807 is not in the "
     "required range of -19998..=19998"},
    {"YEARS", {N(2.5)}, "#VALUE! YEARS: arg must be a whole number"},
    {"YEARS", {}, "#VALUE! YEARS: expected 1 arg"},
    {"WEEKS", {T("x")}, "#VALUE! WEEKS: arg #1 must be a number"},
    {"MINUTES",
     {N(-1e300)},
     "#VALUE! out of range: parameter 'minutes' with value -9223372036854775808 is not in the "
     "required range of -10518456960..=10518456960"},
    {"SPAN", {N(0), N(0), N(0), N(0), N(0), N(0), N(0)}, "jspan:PT0S"},
    {"SPAN", {N(0), N(0), N(0), N(1), N(-2), N(0), N(0)}, "jspan:-P1DT2H"},
    {"SPAN",
     {N(0.5), N(0), N(0), N(0), N(0), N(0), N(0)},
     "#VALUE! SPAN: years must be a whole number"},
    {"SPAN", {N(19999), N(0.5), N(0), N(0), N(0), N(0), N(0)}, kYearRange},
    {"SPAN",
     {N(1)},
     "#VALUE! SPAN: expected 7 args (years, months, weeks, days, hours, minutes, seconds)"},
    {"PARSE_SPAN", {T("1 day 2 hours")}, "jspan:P1DT2H"},
    {"PARSE_SPAN", {N(5)}, "#VALUE! PARSE_SPAN: arg must be a string"},
    {"PARSE_SPAN", {T("a"), T("b")}, "#VALUE! PARSE_SPAN: expected 1 string arg"},
    {"SPAN_TO_DAYS", {C("jspan", "PT36H")}, "1.5"},
    {"SPAN_TO_SECONDS", {C("jspan", "-PT1.5S")}, "-1.5"},
    {"SPAN_TO_SECONDS", {C("jspan", "P1D"), E()}, "86400"},
    {"SPAN_TO_SECONDS",
     {C("jspan", "P1D"), T("2024-01-01")},
     "#VALUE! SPAN_TO_SECONDS: arg #2 must be a jdate value or omitted"},
    {"SPAN_TO_SECONDS",
     {C("jdate", "2024-01-01")},
     "#VALUE! SPAN_TO_SECONDS: arg #1 must be a jspan value"},
    {"SPAN_TO_DAYS", {}, "#VALUE! SPAN_TO_DAYS: expected 1 or 2 args (span, [relative jdate])"},
    {"PARSE_DATE", {T("2024-01-05"), T("")}, "jdate:2024-01-05"},
    {"PARSE_DATE", {T("2024-01-05"), E()}, "jdate:2024-01-05"},
    {"PARSE_DATE",
     {T("2024-01-05"), N(5)},
     "#VALUE! PARSE_DATE: arg #2 (fmt) must be a string or omitted"},
    {"PARSE_DATE", {N(5)}, "#VALUE! PARSE_DATE: arg #1 must be a string"},
    {"PARSE_DATE", {}, "#VALUE! PARSE_DATE: expected 1 or 2 string args (value, [fmt])"},
    {"PARSE_DATE",
     {T("2024-02-30")},
     "#VALUE! out of range: failed to parse \"2024-02-30\" as date: parameter 'day' with value 30 "
     "is not in the required range of 1..=29"},
    {"PARSE_DATETIME", {T("2024-06-15T10:30")}, "jdatetime:2024-06-15T10:30:00"}};

INSTANTIATE_TEST_SUITE_P(Table, Constructors, ::testing::ValuesIn(kCases));

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

}  // namespace
}  // namespace orvel::datetime::testing
