#include <gtest/gtest.h>

#include "function_test_support.h"

namespace orvel::datetime::testing {
namespace {

class FormattingAndArithmetic : public ::testing::TestWithParam<CallCase> {};

TEST_P(FormattingAndArithmetic, FollowTheirRules) {
    const auto& c = GetParam();
    EXPECT_EQ(call(c.function, c.args), c.expected) << c.function;
}

const core::CellValue kJan31 = C("jdate", "2024-01-31");

INSTANTIATE_TEST_SUITE_P(
    Table, FormattingAndArithmetic,
    ::testing::Values(
        CallCase{"FORMAT", {kJan31, T("%Y/%m/%d")}, "'2024/01/31'"},
        CallCase{"FORMAT", {kJan31, T("%d.%m.%Y")}, "'31.01.2024'"},
        CallCase{"FORMAT",
                 {kJan31, T("%H")},
                 "#VALUE! strftime formatting failed: %H failed: requires time to format hour"},
        CallCase{"FORMAT",
                 {C("jdatetime", "2024-01-31T10:00:00"), T("%z")},
                 "#VALUE! strftime formatting failed: %z failed: requires offset to format time "
                 "zone offset"},
        CallCase{"FORMAT",
                 {kJan31, T("%")},
                 "#VALUE! strftime formatting failed: expected to find specifier directive after "
                 "'%', but found "
                 "end of format string"},
        CallCase{"FORMAT",
                 {C("jspan", "P1D"), T("%Y")},
                 "#VALUE! FORMAT: arg #1 must be a date/time/datetime/zoned (format_custom_value: "
                 "unsupported type "
                 "jspan (need jdate, jtime, jdatetime, or jzoned))"},
        CallCase{"FORMAT",
                 {N(5), T("%Y")},
                 "#VALUE! FORMAT: arg #1 must be a jdate, jtime, jdatetime, or jzoned value"},
        CallCase{"FORMAT", {kJan31, N(5)}, "#VALUE! FORMAT: arg #2 (fmt) must be a string"},
        CallCase{"FORMAT", {N(5), E()}, "#VALUE! FORMAT: arg #2 (fmt) must be a string"},
        CallCase{"FORMAT", {kJan31}, "#VALUE! FORMAT: expected 2 arg(s), got 1"},
        CallCase{"FORMAT",
                 {C("jzoned", "2024-01-15T09:30:00-05:00[America/New_York]"), T("%H:%M %Z %z %Q")},
                 "'09:30 EST -0500 America/New_York'"},
        CallCase{"FORMAT", {C("jtime", "09:05:00.25"), T("%I:%M:%S%.f %p")}, "'09:05:00.25 AM'"},
        CallCase{"FORMAT",
                 {C("jdate", "2024-02-30"), T("%Y")},
                 "#VALUE! out of range: failed to parse \"2024-02-30\" as date: parameter 'day' "
                 "with value 30 is "
                 "not in the required range of 1..=29"},
        CallCase{"ISO", {C("jdatetime", "2024-01-31T10:00:00")}, "'2024-01-31T10:00:00'"},
        CallCase{"ISO", {C("jspan", "P1D")}, "'P1D'"}, CallCase{"ISO", {C("other", "x")}, "'x'"},
        CallCase{"ISO",
                 {T("2024-01-01")},
                 "#VALUE! ISO: arg #1 must be a jdate, jtime, jdatetime, jzoned, or jspan value"},
        CallCase{"DAYS_BETWEEN", {C("jdate", "2024-01-01"), C("jdate", "2024-03-01")}, "60"},
        CallCase{"DAYS_BETWEEN", {C("jdate", "2024-03-01"), C("jdate", "2024-01-01")}, "-60"},
        CallCase{"HOURS_BETWEEN",
                 {C("jdatetime", "2024-01-01T00:00:00"), C("jdatetime", "2024-01-02T06:00:00")},
                 "30"},
        CallCase{"DAYS_BETWEEN",
                 {C("jdatetime", "2024-01-01T00:00:00"), C("jdatetime", "2024-01-02T06:00:00")},
                 "1.25"},
        CallCase{"MINUTES_BETWEEN", {C("jtime", "23:00:00"), C("jtime", "01:00:00")}, "-1320"},
        CallCase{"SECONDS_BETWEEN", {C("jtime", "10:00:00"), C("jtime", "09:59:59.5")}, "-0.5"},
        CallCase{"HOURS_BETWEEN",
                 {C("jzoned", "2024-03-10T00:00:00-05:00[America/New_York]"),
                  C("jzoned", "2024-03-11T00:00:00-04:00[America/New_York]")},
                 "23"},
        CallCase{"HOURS_BETWEEN",
                 {C("jzoned", "2024-01-01T00:00:00+00:00[UTC]"),
                  C("jzoned", "2024-01-01T00:00:00+05:30[+05:30]")},
                 "-5.5"},
        CallCase{"DAYS_BETWEEN",
                 {C("jdate", "2024-01-01"), C("jdatetime", "2024-01-01T00:00:00")},
                 "#VALUE! DAYS_BETWEEN: both args must be the same type (got jdate and jdatetime)"},
        CallCase{"DAYS_BETWEEN",
                 {C("jspan", "P1D"), C("jspan", "P2D")},
                 "#VALUE! DAYS_BETWEEN: unsupported temporal type jspan"},
        CallCase{"DAYS_BETWEEN",
                 {N(1), N(2)},
                 "#VALUE! DAYS_BETWEEN: both args must be matching temporal values (jdate, "
                 "jdatetime, jzoned, or "
                 "jtime)"},
        CallCase{"DAYS_BETWEEN",
                 {C("jdate", "2024-01-01")},
                 "#VALUE! DAYS_BETWEEN: expected 2 temporal args"},
        CallCase{"DATEADD", {C("jtime", "23:30:00"), C("jspan", "PT1H")}, "jtime:00:30:00"},
        CallCase{"DATESUB", {C("jtime", "00:15:00"), C("jspan", "PT30M")}, "jtime:23:45:00"},
        CallCase{"DATEADD",
                 {C("jtime", "bad"), C("jspan", "P1D")},
                 "#VALUE! DATEADD: span has calendar units; jtime has no calendar anchor"},
        CallCase{"DATEADD", {kJan31, C("jspan", "P1M")}, "jdate:2024-02-29"},
        CallCase{"DATESUB", {C("jdate", "2024-03-31"), C("jspan", "P1M")}, "jdate:2024-02-29"},
        CallCase{"DATEADD",
                 {C("jdatetime", "2024-01-31T23:00:00"), C("jspan", "P1MT2H")},
                 "jdatetime:2024-03-01T01:00:00"},
        CallCase{"DATEADD",
                 {C("jzoned", "2024-03-09T02:30:00-05:00[America/New_York]"), C("jspan", "P1D")},
                 "jzoned:2024-03-10T03:30:00-04:00[America/New_York]"},
        CallCase{"DATEADD",
                 {kJan31, C("jdate", "2024-01-01")},
                 "#VALUE! DATEADD: arg #2 must be a jspan value (got jdate)"},
        CallCase{"DATEADD", {kJan31, T("P1D")}, "#VALUE! DATEADD: arg #2 must be a jspan value"},
        CallCase{"DATEADD",
                 {N(1), C("jspan", "P1D")},
                 "#VALUE! DATEADD: arg #1 must be a jdate/jdatetime/jzoned/jtime value"},
        CallCase{
            "DATEADD",
            {C("jspan", "P1D"), C("jspan", "P1D")},
            "#VALUE! DATEADD: arg #1 must be a jdate/jdatetime/jzoned/jtime value (got jspan)"},
        CallCase{"DATESUB", {kJan31}, "#VALUE! DATESUB: expected 2 args (temporal, jspan)"},
        CallCase{
            "DATEADD",
            {C("jdate", "9999-12-31"), C("jspan", "P1D")},
            "#VALUE! out of range: adding 1 days to 9999-12-31 leaves the supported range of dates "
            "(-9999-01-01 to 9999-12-31)"}));

}  // namespace
}  // namespace orvel::datetime::testing
