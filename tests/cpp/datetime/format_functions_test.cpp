// In tests/python/test_datetime.py: FORMAT against strftime; zoned differences and sums over DST.
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
const core::CellValue kFirstDate = C("jdate", "-009999-01-01");
const core::CellValue kLastDate = C("jdate", "9999-12-31");

std::string leaves_range(std::string_view days, std::string_view from) {
    return "#VALUE! out of range: adding " + std::string(days) + " days to " + std::string(from) +
           " leaves the supported range of dates (-9999-01-01 to 9999-12-31)";
}

const CallCase kCases[] = {
    {"FORMAT",
     {kJan31, T("%H")},
     "#VALUE! strftime formatting failed: %H failed: requires time to format hour"},
    {"FORMAT",
     {C("jspan", "P1D"), T("%Y")},
     "#VALUE! FORMAT: arg #1 must be a date/time/datetime/zoned (format_custom_value: unsupported "
     "type jspan (need jdate, jtime, jdatetime, or jzoned))"},
    {"FORMAT",
     {N(5), T("%Y")},
     "#VALUE! FORMAT: arg #1 must be a jdate, jtime, jdatetime, or jzoned value"},
    {"FORMAT", {kJan31, N(5)}, "#VALUE! FORMAT: arg #2 (fmt) must be a string"},
    {"FORMAT", {N(5), E()}, "#VALUE! FORMAT: arg #2 (fmt) must be a string"},
    {"FORMAT", {kJan31}, "#VALUE! FORMAT: expected 2 arg(s), got 1"},
    {"FORMAT",
     {C("jzoned", "2024-01-15T09:30:00-05:00[America/New_York]"), T("%H:%M %Z %z %Q")},
     "'09:30 EST -0500 America/New_York'"},
    {"ISO", {C("jdatetime", "2024-01-31T10:00:00")}, "'2024-01-31T10:00:00'"},
    {"ISO", {C("jspan", "P1D")}, "'P1D'"},
    {"ISO", {C("other", "x")}, "'x'"},
    {"ISO",
     {T("2024-01-01")},
     "#VALUE! ISO: arg #1 must be a jdate, jtime, jdatetime, jzoned, or jspan value"},
    {"DAYS_BETWEEN", {C("jdate", "2024-01-01"), C("jdate", "2024-03-01")}, "60"},
    {"DAYS_BETWEEN",
     {C("jdatetime", "2024-01-01T00:00:00"), C("jdatetime", "2024-01-02T06:00:00")},
     "1.25"},
    {"MINUTES_BETWEEN", {C("jtime", "23:00:00"), C("jtime", "01:00:00")}, "-1320"},
    {"SECONDS_BETWEEN", {C("jtime", "10:00:00"), C("jtime", "09:59:59.5")}, "-0.5"},
    {"HOURS_BETWEEN",
     {C("jzoned", "2024-01-01T00:00:00+00:00[UTC]"),
      C("jzoned", "2024-01-01T00:00:00+05:30[+05:30]")},
     "-5.5"},
    {"DAYS_BETWEEN",
     {C("jdate", "2024-01-01"), C("jdatetime", "2024-01-01T00:00:00")},
     "#VALUE! DAYS_BETWEEN: both args must be the same type (got jdate and jdatetime)"},
    {"DAYS_BETWEEN",
     {C("jspan", "P1D"), C("jspan", "P2D")},
     "#VALUE! DAYS_BETWEEN: unsupported temporal type jspan"},
    {"DAYS_BETWEEN",
     {N(1), N(2)},
     "#VALUE! DAYS_BETWEEN: both args must be matching temporal values (jdate, jdatetime, jzoned, "
     "or jtime)"},
    {"DAYS_BETWEEN", {C("jdate", "2024-01-01")}, "#VALUE! DAYS_BETWEEN: expected 2 temporal args"},
    {"DATEADD", {C("jtime", "23:30:00"), C("jspan", "PT1H")}, "jtime:00:30:00"},
    {"DATESUB", {C("jtime", "00:15:00"), C("jspan", "PT30M")}, "jtime:23:45:00"},
    {"DATEADD",
     {C("jtime", "bad"), C("jspan", "P1D")},
     "#VALUE! DATEADD: span has calendar units; jtime has no calendar anchor"},
    {"DATEADD", {kJan31, C("jspan", "P1M")}, "jdate:2024-02-29"},
    {"DATEADD",
     {C("jdatetime", "2024-01-31T23:00:00"), C("jspan", "P1MT2H")},
     "jdatetime:2024-03-01T01:00:00"},
    {"DATEADD",
     {kJan31, C("jdate", "2024-01-01")},
     "#VALUE! DATEADD: arg #2 must be a jspan value (got jdate)"},
    {"DATEADD", {kJan31, T("P1D")}, "#VALUE! DATEADD: arg #2 must be a jspan value"},
    {"DATEADD",
     {N(1), C("jspan", "P1D")},
     "#VALUE! DATEADD: arg #1 must be a jdate/jdatetime/jzoned/jtime value"},
    {"DATEADD",
     {C("jspan", "P1D"), C("jspan", "P1D")},
     "#VALUE! DATEADD: arg #1 must be a jdate/jdatetime/jzoned/jtime value (got jspan)"},
    {"DATESUB", {kJan31}, "#VALUE! DATESUB: expected 2 args (temporal, jspan)"},
    {"DATEADD", {kLastDate, C("jspan", "P1D")}, leaves_range("1", "9999-12-31")},
    // The whole calendar is 7304483 days: a step of exactly that reaches the other end, one
    // more leaves it, however the days are made up (weeks, days, whole clock days).
    {"DATESUB", {kLastDate, C("jspan", "P7304483D")}, "jdate:-009999-01-01"},
    {"DATESUB", {kLastDate, C("jspan", "P7304484D")}, leaves_range("-7304484", "9999-12-31")},
    {"DATEADD", {kFirstDate, C("jspan", "P7304483D")}, "jdate:9999-12-31"},
    {"DATEADD", {kFirstDate, C("jspan", "P7304484D")}, leaves_range("7304484", "-9999-01-01")},
    {"DATESUB", {kLastDate, C("jspan", "P1043497W4D")}, "jdate:-009999-01-01"},
    {"DATESUB", {kLastDate, C("jspan", "P1043497W10D")}, leaves_range("-7304489", "9999-12-31")},
    {"DATEADD", {kFirstDate, C("jspan", "P1043497W10D")}, leaves_range("7304489", "-9999-01-01")},
    {"DATEADD", {kFirstDate, C("jspan", "P239976M")}, "jdate:9999-01-01"},
    {"DATEADD",
     {C("jdatetime", "-009999-01-01T00:00:00"), C("jspan", "PT175307615H")},
     "jdatetime:9999-12-31T23:00:00"},
    {"DATEADD",
     {C("jdatetime", "-009999-01-01T00:00:00"), C("jspan", "PT175307616H")},
     leaves_range("7304484", "-9999-01-01")},
    {"DATEADD",
     {C("jdatetime", "-009999-01-01T00:00:00"), C("jspan", "PT631107417599S")},
     "jdatetime:9999-12-31T23:59:59"}};

INSTANTIATE_TEST_SUITE_P(Table, FormattingAndArithmetic, ::testing::ValuesIn(kCases));

}  // namespace
}  // namespace orvel::datetime::testing
