// Calendar fields of dates are checked against Python's calendar (tests/python/test_datetime.py);
// here: fields of times and zoned values, argument rules and messages.
#include <gtest/gtest.h>

#include "function_test_support.h"

namespace orvel::datetime::testing {
namespace {

class Accessors : public ::testing::TestWithParam<CallCase> {};

TEST_P(Accessors, TakeValuesApart) {
    const auto& c = GetParam();
    EXPECT_EQ(call(c.function, c.args), c.expected) << c.function;
}

const core::CellValue kLeapDay = C("jdate", "2024-02-29");
// 2024-01-01T02:00Z seen five hours behind UTC.
const core::CellValue kBehind = C("jzoned", "2023-12-31T21:00:00-05:00[America/New_York]");
const core::CellValue kFixed = C("jzoned", "2024-06-15T12:00:00+05:30[+05:30]");

INSTANTIATE_TEST_SUITE_P(
    Table, Accessors,
    ::testing::Values(
        CallCase{"QUARTER", {C("jdatetime", "2024-12-31T23:59:59")}, "4"},
        CallCase{"WEEKDAY", {C("jdate", "2024-01-07"), B(false)}, "1"},
        CallCase{"WEEKDAY", {C("jdate", "2024-01-07"), N(0)}, "1"},
        CallCase{"WEEKDAY", {C("jdate", "2024-01-08"), B(false)}, "2"},
        CallCase{"WEEKDAY", {C("jdate", "2024-01-07"), N(0.0 / 0.0)}, "7"},
        CallCase{"WEEKDAY", {C("jdate", "2024-01-07"), E()}, "7"},
        CallCase{"WEEKDAY",
                 {C("jdate", "2024-01-07"), T("no")},
                 "#VALUE! WEEKDAY: iso arg must be a boolean"},
        CallCase{"WEEKDAY", {}, "#VALUE! WEEKDAY: expected 1 or 2 args (date, [iso=true])"},
        CallCase{"YEAR", {kBehind}, "2023"}, CallCase{"HOUR", {kBehind}, "21"},
        CallCase{"YEAR",
                 {C("jtime", "10:00:00")},
                 "#VALUE! YEAR: arg #1 must be a jdate, jdatetime, or jzoned value (got jtime)"},
        CallCase{
            "YEAR", {N(5)}, "#VALUE! YEAR: arg #1 must be a jdate, jdatetime, or jzoned value"},
        CallCase{"HOUR",
                 {kLeapDay},
                 "#VALUE! HOUR: arg #1 must be a jtime, jdatetime, or jzoned value (got jdate)"},
        CallCase{"HOUR",
                 {T("10:00")},
                 "#VALUE! HOUR: arg #1 must be a jtime, jdatetime, or jzoned value"},
        CallCase{"SECOND", {C("jtime", "10:20:30.5")}, "30"},
        CallCase{"NANOSECOND", {C("jtime", "10:20:30.5")}, "500000000"},
        CallCase{"MINUTE", {C("jdatetime", "2024-01-01T10:20:30")}, "20"},
        CallCase{"TZ_NAME", {C("jzoned", "2024-06-15T12:00:00+00:00[UTC]")}, "'UTC'"},
        CallCase{"TZ_NAME", {kFixed}, "'+05:30'"},
        CallCase{"TZ_NAME", {C("jzoned", "2024-06-15T12:00:00-05:00[-05:00]")}, "'-05'"},
        CallCase{"TZ_NAME", {C("jzoned", "2024-06-15T12:00:00Z[Etc/Unknown]")}, "'+00'"},
        CallCase{"TZ_OFFSET_SECONDS", {kFixed}, "19800"}, CallCase{"IS_DST", {kFixed}, "FALSE"},
        CallCase{"TZ_NAME",
                 {C("jdatetime", "2024-01-01T00:00:00")},
                 "#VALUE! TZ_NAME: arg #1 must be a jzoned value"},
        CallCase{"TO_DATE", {kBehind}, "jdate:2023-12-31"},
        CallCase{"TO_TIME", {C("jdatetime", "2024-05-01T10:00:00")}, "jtime:10:00:00"},
        CallCase{"TO_DATETIME",
                 {C("jdatetime", "2024-05-01T10:00:00")},
                 "jdatetime:2024-05-01T00:00:00"},
        CallCase{"TO_DATETIME",
                 {C("jdatetime", "2024-05-01T10:00:00"), C("jtime", "08:30:00")},
                 "jdatetime:2024-05-01T08:30:00"},
        CallCase{"TO_DATETIME",
                 {C("jdatetime", "2024-05-01T10:00:00"), T("08:30")},
                 "#VALUE! TO_DATETIME: arg #2 must be a jtime value or omitted"},
        CallCase{"TO_DATETIME", {kBehind, E()}, "jdatetime:2023-12-31T00:00:00"},
        CallCase{
            "TO_DATETIME", {}, "#VALUE! TO_DATETIME: expected 1 or 2 args (date_like, [time])"},
        CallCase{"YEAR", {kLeapDay, kLeapDay}, "#VALUE! YEAR: expected 1 arg(s), got 2"},
        CallCase{"TZ_NAME", {}, "#VALUE! TZ_NAME: expected 1 arg(s), got 0"},
        CallCase{"DAY",
                 {C("jdate", "2024-13-01")},
                 "#VALUE! out of range: failed to parse \"2024-13-01\" as date: parameter 'month' "
                 "with value 13 is "
                 "not in the required range of 1..=12"},
        CallCase{"DAY",
                 {C("jdate", "garbage")},
                 "#VALUE! failed to parse \"garbage\" as date: expected four digit year (or "
                 "leading sign for six "
                 "digit year), but found \"g\""}));

}  // namespace
}  // namespace orvel::datetime::testing
