// The package's functions called by name. Calendar fields, placing local times in zones and
// converting them are also checked against Python's calendar and zoneinfo
// (tests/python/test_datetime.py); here: payload forms, limits, argument rules and messages.
#include <gtest/gtest.h>

#include "datetime/system_zone.h"
#include "function_test_support.h"

namespace orvel::datetime::testing {
namespace {

class Calls : public ::testing::TestWithParam<CallCase> {};

TEST_P(Calls, GiveTheValueOrTheFirstFailingCheck) {
    const auto& c = GetParam();
    EXPECT_EQ(call(c.function, c.args), c.expected) << c.function;
}

const core::CellValue kLeapDay = C("jdate", "2024-02-29");
// 2024-01-01T02:00Z seen five hours behind UTC.
const core::CellValue kBehind = C("jzoned", "2023-12-31T21:00:00-05:00[America/New_York]");
const core::CellValue kFixed = C("jzoned", "2024-06-15T12:00:00+05:30[+05:30]");

const CallCase kAccessorCases[] = {
    {"QUARTER", {C("jdatetime", "2024-12-31T23:59:59")}, "4"},
    {"QUARTER", {C("jdate", "2024-04-01")}, "2"},
    {"IS_DST", {C("jzoned", "2024-06-15T12:00:00-04:00[America/New_York]")}, "TRUE"},
    {"WEEKDAY",
     {kLeapDay, B(true), E()},
     "#VALUE! WEEKDAY: expected 1 or 2 args (date, [iso=true])"},
    {"TO_DATETIME",
     {kLeapDay, E(), E()},
     "#VALUE! TO_DATETIME: expected 1 or 2 args (date_like, [time])"},
    {"WEEKDAY", {C("jdate", "2024-01-07"), N(0)}, "1"},
    {"WEEKDAY", {C("jdate", "2024-01-08"), B(false)}, "2"},
    {"WEEKDAY", {C("jdate", "2024-01-07"), N(0.0 / 0.0)}, "7"},
    {"WEEKDAY", {C("jdate", "2024-01-07"), E()}, "7"},
    {"WEEKDAY", {C("jdate", "2024-01-07"), T("no")}, "#VALUE! WEEKDAY: iso arg must be a boolean"},
    {"WEEKDAY", {}, "#VALUE! WEEKDAY: expected 1 or 2 args (date, [iso=true])"},
    {"HOUR", {kBehind}, "21"},
    {"YEAR",
     {C("jtime", "10:00:00")},
     "#VALUE! YEAR: arg #1 must be a jdate, jdatetime, or jzoned value (got jtime)"},
    {"YEAR", {N(5)}, "#VALUE! YEAR: arg #1 must be a jdate, jdatetime, or jzoned value"},
    {"HOUR",
     {kLeapDay},
     "#VALUE! HOUR: arg #1 must be a jtime, jdatetime, or jzoned value (got jdate)"},
    {"HOUR", {T("10:00")}, "#VALUE! HOUR: arg #1 must be a jtime, jdatetime, or jzoned value"},
    {"SECOND", {C("jtime", "10:20:30.5")}, "30"},
    {"NANOSECOND", {C("jtime", "10:20:30.5")}, "500000000"},
    {"MINUTE", {C("jdatetime", "2024-01-01T10:20:30")}, "20"},
    {"TZ_NAME", {C("jzoned", "2024-06-15T12:00:00+00:00[UTC]")}, "'UTC'"},
    {"TZ_NAME", {C("jzoned", "2024-06-15T12:00:00-05:00[-05:00]")}, "'-05'"},
    {"TZ_NAME", {C("jzoned", "2024-06-15T12:00:00Z[Etc/Unknown]")}, "'+00'"},
    {"TZ_OFFSET_SECONDS", {kFixed}, "19800"},
    {"IS_DST", {kFixed}, "FALSE"},
    {"TZ_NAME",
     {C("jdatetime", "2024-01-01T00:00:00")},
     "#VALUE! TZ_NAME: arg #1 must be a jzoned value"},
    {"TO_DATE", {kBehind}, "jdate:2023-12-31"},
    {"TO_TIME", {C("jdatetime", "2024-05-01T10:00:00")}, "jtime:10:00:00"},
    {"TO_DATETIME", {C("jdatetime", "2024-05-01T10:00:00")}, "jdatetime:2024-05-01T00:00:00"},
    {"TO_DATETIME",
     {C("jdatetime", "2024-05-01T10:00:00"), C("jtime", "08:30:00")},
     "jdatetime:2024-05-01T08:30:00"},
    {"TO_DATETIME",
     {C("jdatetime", "2024-05-01T10:00:00"), T("08:30")},
     "#VALUE! TO_DATETIME: arg #2 must be a jtime value or omitted"},
    {"TO_DATETIME", {kBehind, E()}, "jdatetime:2023-12-31T00:00:00"},
    {"TO_DATETIME", {}, "#VALUE! TO_DATETIME: expected 1 or 2 args (date_like, [time])"},
    {"YEAR", {kLeapDay, kLeapDay}, "#VALUE! YEAR: expected 1 arg(s), got 2"},
    {"TZ_NAME", {}, "#VALUE! TZ_NAME: expected 1 arg(s), got 0"},
};

std::string out_of_range(std::string_view parameter, std::string_view value,
                         std::string_view range) {
    return "#VALUE! out of range: parameter '" + std::string(parameter) + "' with value " +
           std::string(value) + " is not in the required range of " + std::string(range);
}

const std::string kYearRange = out_of_range("years", "19999", "-19998..=19998");

const CallCase kConstructorCases[] = {
    {"DATE", {N(2024), N(2), N(29)}, "jdate:2024-02-29"},
    // Each argument's integer width at its limits and one past.
    {"DATE", {N(2024), N(127), N(1)}, out_of_range("month", "127", "1..=12")},
    {"DATE", {N(2024), N(-128), N(1)}, out_of_range("month", "-128", "1..=12")},
    {"DATE", {N(2024), N(128), N(1)}, "#VALUE! DATE: month must be in -128..=127"},
    {"DATE", {N(2024), N(-129), N(1)}, "#VALUE! DATE: month must be in -128..=127"},
    {"DATE", {N(32767), N(1), N(1)}, out_of_range("year", "32767", "-9999..=9999")},
    {"DATE", {N(-32768), N(1), N(1)}, out_of_range("year", "-32768", "-9999..=9999")},
    {"DATE", {N(32768), N(1), N(1)}, "#VALUE! DATE: year must be in -32768..=32767"},
    {"DATE", {N(-32769), N(1), N(1)}, "#VALUE! DATE: year must be in -32768..=32767"},
    {"DATE", {N(2024), N(1.5), N(1)}, "#VALUE! DATE: month must be a whole number"},
    {"DATE", {N(1.5), T("x"), N(1)}, "#VALUE! DATE: arg #2 must be a number"},
    {"DATE", {B(true), N(1), N(1)}, "jdate:0001-01-01"},
    {"DATE", {T("12"), N(1), N(1)}, "jdate:0012-01-01"},
    {"DATE", {N(2024), E(), N(1)}, "#VALUE! DATE: arg #2 must be a number"},
    {"DATE", {N(2024), N(3), N(5), N(1)}, "#VALUE! DATE: expected 3 args (year, month, day)"},
    {"TIME", {N(300), N(0), N(0)}, "#VALUE! TIME: hour must be in -128..=127"},
    {"TIME", {N(1.5), T("x"), N(0)}, "#VALUE! TIME: hour must be a whole number"},
    {"TIME", {N(1), N(2)}, "#VALUE! TIME: expected 3 or 4 args (hour, minute, second, [nanos])"},
    {"TIME",
     {N(1), N(2), N(3), N(2147483647)},
     out_of_range("subsec_nanosecond", "2147483647", "0..=999999999")},
    {"TIME",
     {N(1), N(2), N(3), N(2147483648.0)},
     "#VALUE! TIME: nanos must be in -2147483648..=2147483647"},
    {"TIME", {N(12), N(30), N(0)}, "jtime:12:30:00"},
    {"DATETIME",
     {N(2024), N(6), N(15), N(9), N(30), N(0), N(250000000)},
     "jdatetime:2024-06-15T09:30:00.25"},
    {"DATETIME", {N(2024), N(2), N(30), N(24), N(0), N(0)}, out_of_range("day", "30", "1..=29")},
    {"DATETIME",
     {N(2024)},
     "#VALUE! DATETIME: expected 6 or 7 args (year, month, day, hour, minute, second, [nanos])"},
    {"YEARS", {N(19999)}, kYearRange},
    {"YEARS",
     {N(9223372036854775808.0)},
     out_of_range("years", "9223372036854775807", "-19998..=19998")},
    {"YEARS", {N(2.5)}, "#VALUE! YEARS: arg must be a whole number"},
    {"YEARS", {}, "#VALUE! YEARS: expected 1 arg"},
    {"WEEKS", {T("x")}, "#VALUE! WEEKS: arg #1 must be a number"},
    {"MINUTES",
     {N(-1e300)},
     out_of_range("minutes", "-9223372036854775808", "-10518456960..=10518456960")},
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
    {"SPAN_TO_SECONDS", {C("jspan", "P1M"), C("jdate", "2024-02-01")}, "2505600"},
    // The default relative date is 1970-01-01: the last day an instant reaches is 2932895 later.
    {"SPAN_TO_DAYS", {C("jspan", "P2932895D")}, "2932895"},
    {"SPAN_TO_DAYS",
     {C("jspan", "P2932896D")},
     out_of_range("unix_seconds", "253402214400", "-377705023201..=253402207200")},
    {"SPAN_TO_DAYS",
     {C("jspan", "P1D"), E(), E()},
     "#VALUE! SPAN_TO_DAYS: expected 1 or 2 args (span, [relative jdate])"},
    {"PARSE_DATE", {T("2024-01-05"), T("")}, "jdate:2024-01-05"},
    {"PARSE_DATE", {T("2024-01-05"), E()}, "jdate:2024-01-05"},
    {"PARSE_DATE",
     {T("2024-01-05"), N(5)},
     "#VALUE! PARSE_DATE: arg #2 (fmt) must be a string or omitted"},
    {"PARSE_DATE", {N(5)}, "#VALUE! PARSE_DATE: arg #1 must be a string"},
    {"PARSE_DATE",
     {T("2024-01-05"), T(""), T("")},
     "#VALUE! PARSE_DATE: expected 1 or 2 string args (value, [fmt])"},
    {"PARSE_DATE",
     {T("2024-02-30")},
     "#VALUE! out of range: failed to parse \"2024-02-30\" as date: parameter 'day' with value 30 "
     "is not in the required range of 1..=29"},
    {"PARSE_DATETIME", {T("2024-06-15T10:30")}, "jdatetime:2024-06-15T10:30:00"},
    // A century with a two-digit year; a century alone; the two-digit year's pivot at 69.
    {"PARSE_DATE", {T("20 24-06-17"), T("%C %y-%m-%d")}, "jdate:2024-06-17"},
    {"PARSE_DATE", {T("20-06-17"), T("%C-%m-%d")}, "jdate:2000-06-17"},
    {"PARSE_DATE", {T("68-06-17"), T("%y-%m-%d")}, "jdate:2068-06-17"},
    {"PARSE_DATE", {T("69-06-17"), T("%y-%m-%d")}, "jdate:1969-06-17"},
    // Each directive's range: the last value it takes and the first it refuses.
    {"PARSE_DATE", {T("2023-365"), T("%Y-%j")}, "jdate:2023-12-31"},
    {"PARSE_DATE", {T("2023-366"), T("%Y-%j")}, out_of_range("day-of-year", "366", "1..=365")},
    {"PARSE_DATE", {T("2024-366"), T("%Y-%j")}, "jdate:2024-12-31"},
    {"PARSE_DATE", {T("2024-367"), T("%Y-%j")}, out_of_range("day-of-year", "367", "1..=366")},
    {"PARSE_DATE", {T("2024-000"), T("%Y-%j")}, out_of_range("day-of-year", "0", "1..=366")},
    {"PARSE_DATE", {T("2024-13-01"), T("%Y-%m-%d")}, out_of_range("month", "13", "1..=12")},
    {"PARSE_DATE", {T("2024-04-31"), T("%Y-%m-%d")}, out_of_range("day", "31", "1..=30")},
    {"PARSE_DATE",
     {T("-10000-01-01"), T("%5Y-%m-%d")},
     out_of_range("year", "-10000", "-9999..=9999")},
    {"PARSE_DATE", {T("-9999-01-01"), T("%Y-%m-%d")}, "jdate:-009999-01-01"},
    {"PARSE_DATE", {T("2020 53 7"), T("%G %V %u")}, "jdate:2021-01-03"},
    {"PARSE_DATE", {T("2020 54 7"), T("%G %V %u")}, out_of_range("week", "54", "1..=53")},
    {"PARSE_DATE", {T("2024 53 1"), T("%G %V %u")}, out_of_range("week", "53", "1..=52")},
    {"PARSE_DATE", {T("2024 1 7"), T("%G %V %u")}, "jdate:2024-01-07"},
    {"PARSE_DATE", {T("2024 1 8"), T("%G %V %u")}, out_of_range("weekday", "8", "1..=7")},
    {"PARSE_DATE", {T("2024 1 0"), T("%G %V %u")}, out_of_range("weekday", "0", "1..=7")},
    {"PARSE_DATE", {T("2024 1 6"), T("%Y %U %w")}, "jdate:2024-01-13"},
    {"PARSE_DATE", {T("2024 1 7"), T("%Y %U %w")}, out_of_range("weekday", "7", "0..=6")},
    {"PARSE_DATE", {T("2024 53 2"), T("%Y %W %u")}, "jdate:2024-12-31"},
    {"PARSE_DATE",
     {T("2024 52 6"), T("%Y %U %w")},
     "#VALUE! weekday `Saturday` is not valid for Sunday based week number"},
    {"PARSE_TIME", {T("23:59:59"), T("%H:%M:%S")}, "jtime:23:59:59"},
    {"PARSE_TIME", {T("24:00"), T("%H:%M")}, out_of_range("hour", "24", "0..=23")},
    {"PARSE_TIME", {T("23:60"), T("%H:%M")}, out_of_range("minute", "60", "0..=59")},
    {"PARSE_TIME", {T("23:59:60"), T("%H:%M:%S")}, "jtime:23:59:59"},
    {"PARSE_TIME", {T("23:59:61"), T("%H:%M:%S")}, out_of_range("second", "61", "0..=59")},
    {"PARSE_TIME", {T("12 AM"), T("%I %p")}, "jtime:00:00:00"},
    {"PARSE_TIME", {T("12 PM"), T("%I %p")}, "jtime:12:00:00"},
    {"PARSE_TIME", {T("00 AM"), T("%I %p")}, out_of_range("hour", "0", "1..=12")},
    {"PARSE_TIME", {T("13 PM"), T("%I %p")}, out_of_range("hour", "13", "1..=12")},
    {"PARSE_TIME", {T("1:00:00.123456789"), T("%H:%M:%S.%f")}, "jtime:01:00:00.123456789"},
    {"PARSE_TIME",
     {T("1:00:00.1234567891"), T("%H:%M:%S.%f")},
     "#VALUE! strptime parsing failed: unconsumed input remaining after parsing: \"1\""},
    {"PARSE_DATE",
     {T("05/03/2024 x"), T("%d/%m/%Y")},
     "#VALUE! strptime parsing failed: unconsumed input remaining after parsing: \" x\""},
    // Offsets up to 25:59:59; the instants whose date lies within the years at any offset.
    // A zoned payload rounds the offset to minutes: 29 seconds down.
    {"PARSE_ZONED",
     {T("2024-06-17 09:00 +000029"), T("%Y-%m-%d %H:%M %z")},
     "jzoned:2024-06-17T09:00:00+00:00[+00:00]"},
    {"PARSE_ZONED",
     {T("2024-06-17 09:00 +2559"), T("%Y-%m-%d %H:%M %z")},
     "jzoned:2024-06-17T09:00:00+25:59[+25:59]"},
    {"PARSE_ZONED",
     {T("2024-06-17 09:00 +2600"), T("%Y-%m-%d %H:%M %z")},
     out_of_range("offset-hours", "26", "0..=25")},
    {"PARSE_ZONED",
     {T("2024-06-17 09:00 +2560"), T("%Y-%m-%d %H:%M %z")},
     out_of_range("offset-minutes", "60", "0..=59")},
    {"PARSE_ZONED",
     {T("2024-06-17 09:00 -255960"), T("%Y-%m-%d %H:%M %z")},
     out_of_range("offset-seconds", "60", "0..=59")},
    {"PARSE_ZONED", {T("253402207200 +0000"), T("%s %z")}, "jzoned:9999-12-30T22:00:00+00:00[UTC]"},
    {"PARSE_ZONED",
     {T("253402207201 +0000"), T("%s %z")},
     out_of_range("unix_seconds", "253402207201", "-377705023201..=253402207200")},
    {"PARSE_ZONED",
     {T("-377705023201 +0000"), T("%s %z")},
     "jzoned:-009999-01-02T01:59:59+00:00[UTC]"},
    {"PARSE_ZONED",
     {T("-377705023202 +0000"), T("%s %z")},
     out_of_range("unix_seconds", "-377705023202", "-377705023201..=253402207200")},
    // An offset's seconds may carry a fraction, after '.' or ','.
    {"PARSE_ZONED",
     {T("2024-06-17T09:00:00+00:00:00.5[UTC]")},
     "jzoned:2024-06-17T09:00:00+00:00[UTC]"},
    {"PARSE_ZONED",
     {T("2024-06-17T09:00:00+00:00:00,5[UTC]")},
     "jzoned:2024-06-17T09:00:00+00:00[UTC]"},
    {"PARSE_ZONED",
     {T("2024-06-17T09:00:00+000000,5[UTC]")},
     "jzoned:2024-06-17T09:00:00+00:00[UTC]"},
    {"PARSE_ZONED",
     {T("2024-06-17T09:00:00+00:00:00.[UTC]")},
     "#VALUE! failed to parse \"2024-06-17T09:00:00+00:00:00.[UTC]\" as zoned datetime: "
     "expected one to nine digits of fraction, but found \"[\""},
    {"PARSE_ZONED",
     {T("2024-06-17T09:00:00+00:00:00.1234567891[UTC]")},
     "#VALUE! failed to parse \"2024-06-17T09:00:00+00:00:00.1234567891[UTC]\" as zoned datetime: "
     "expected one to nine digits of fraction, but found \"1\""},
    {"PARSE_ZONED",
     {T("2024-06-17T09:00:00+25:59[+25:59]")},
     "jzoned:2024-06-17T09:00:00+25:59[+25:59]"}};

const core::CellValue kGap = C("jdatetime", "2024-03-10T02:30:00");
const core::CellValue kFold = C("jdatetime", "2024-11-03T01:30:00");
const core::CellValue kNy = T("America/New_York");

const CallCase kZoneCases[] = {
    {"TIMEZONE", {T("Z")}, "jtimezone:UTC"},
    {"TIMEZONE", {T("+0530")}, "jtimezone:+05:30"},
    {"TIMEZONE", {T("-05")}, "jtimezone:-05:00"},
    {"TIMEZONE", {T("Etc/Unknown")}, "jtimezone:+00:00"},
    {"TIMEZONE", {C("jtimezone", "UTC")}, "#VALUE! TIMEZONE: arg must be a string"},
    {"TIMEZONE", {}, "#VALUE! TIMEZONE: expected 1 string arg"},
    {"ZONED",
     {kGap, kNy, T("reject")},
     "#VALUE! ZONED: ambiguous local time (error converting datetime 2024-03-10T02:30:00 to "
     "instant in time zone America/New_York: datetime is ambiguous since it falls into a gap "
     "between offsets -05 and -04)"},
    {"ZONED",
     {kFold, kNy, T("Late")},
     "#VALUE! ZONED: disambiguation must be 'compatible', 'earlier', 'later', or 'reject' (got "
     "\"late\")"},
    {"ZONED",
     {kFold, kNy, T("a\"b\n\xC3\x89")},
     "#VALUE! ZONED: disambiguation must be 'compatible', 'earlier', 'later', or 'reject' (got "
     "\"a\\\"b\\n\xC3\x89\")"},
    {"ZONED", {kFold, kNy, N(1)}, "#VALUE! ZONED: disambiguation must be a string or omitted"},
    {"ZONED", {kGap, kNy, T("earlier")}, "jzoned:2024-03-10T01:30:00-05:00[America/New_York]"},
    {"ZONED", {kGap, kNy, T("later")}, "jzoned:2024-03-10T03:30:00-04:00[America/New_York]"},
    {"ZONED", {kFold, kNy, T("earlier")}, "jzoned:2024-11-03T01:30:00-04:00[America/New_York]"},
    {"ZONED", {kFold, kNy, T("later")}, "jzoned:2024-11-03T01:30:00-05:00[America/New_York]"},
    {"ZONED", {C("jdate", "2024-01-01"), kNy}, "#VALUE! ZONED: arg #1 must be a jdatetime value"},
    {"ZONED", {kFold, N(5)}, "#VALUE! ZONED: arg #2 must be a jtimezone value or a string"},
    {"ZONED", {kFold, C("jtimezone", "+05:30")}, "jzoned:2024-11-03T01:30:00+05:30[+05:30]"},
    {"ZONED",
     {C("jdatetime", "9999-12-31T23:00:00"), T("UTC")},
     "#VALUE! out of range: parameter 'unix_seconds' with value 253402297200 is not in the "
     "required range of -377705023201..=253402207200"},
    {"TO_ZONED", {kFold}, "#VALUE! ZONED: expected 2 or 3 args (datetime, tz, [disambiguation])"},
    {"PARSE_ZONED",
     {T("2024-06-15 12:00 Mars/Base"), T("%Y-%m-%d %H:%M %Q")},
     "#VALUE! failed to find time zone `Mars/Base` in time zone database"},
    {"PARSE_ZONED", {N(1)}, "#VALUE! PARSE_ZONED: arg #1 must be a string"},
    {"IN_TZ",
     {C("jzoned", "2024-01-15T09:30:00-05:00[America/New_York]"), N(5)},
     "#VALUE! IN_TZ: arg #2 must be a jtimezone value or a string"},
    {"IN_TZ",
     {C("jdatetime", "2024-01-15T09:30:00"), T("UTC")},
     "#VALUE! IN_TZ: arg #1 must be a jzoned value"},
    {"IN_TZ",
     {C("jzoned", "2024-01-15T09:30:00-05:00[America/New_York]")},
     "#VALUE! IN_TZ: expected 2 args (zoned, tz)"},
    {"TO_UTC",
     {C("jdatetime", "2024-01-15T09:30:00")},
     "#VALUE! TO_UTC: arg #1 must be a jzoned value"},
    {"TO_UTC", {}, "#VALUE! TO_UTC: expected 1 jzoned arg"},
    {"TO_UTC",
     {C("jzoned", "2024-01-15T09:30:00-05:00[America/New_York]")},
     "jzoned:2024-01-15T14:30:00+00:00[UTC]"},
    {"IN_TZ",
     {C("jzoned", "2024-01-15T09:30:00-05:00[America/New_York]"), T("+05:30")},
     "jzoned:2024-01-15T20:00:00+05:30[+05:30]"},
    {"NOW", {N(1)}, "#VALUE! NOW: expected no args"},
    {"UTCNOW", {N(1)}, "#VALUE! UTCNOW: expected no args"},
    {"TODAY", {N(1)}, "#VALUE! TODAY: expected no args"}};

INSTANTIATE_TEST_SUITE_P(Accessors, Calls, ::testing::ValuesIn(kAccessorCases));
INSTANTIATE_TEST_SUITE_P(Constructors, Calls, ::testing::ValuesIn(kConstructorCases));
INSTANTIATE_TEST_SUITE_P(Zones, Calls, ::testing::ValuesIn(kZoneCases));

// The clock functions' values change; their kinds do not.
TEST(Calls, ClockFunctionsGiveCurrentValues) {
    EXPECT_TRUE(call("UTCNOW", {}).ends_with("+00:00[UTC]"));
    EXPECT_TRUE(call("NOW", {}).starts_with("jzoned:"));
    EXPECT_TRUE(call("TODAY", {}).starts_with("jdate:"));
}

constexpr std::int64_t kJuly2024 = 1'719'835'200;     // 2024-07-01T12:00:00Z
constexpr std::int64_t kJanuary2024 = 1'705'320'000;  // 2024-01-15T12:00:00Z

TEST(SystemZone, TzValuesResolveLikeTheSystemLibrary) {
    auto describe = [](std::string_view tz, std::int64_t at = kJuly2024) {
        const TimeZone zone = zone_from_tz_value(tz, at);
        return zone.describe();
    };
    EXPECT_EQ(describe(""), "UTC");
    EXPECT_EQ(describe("America/New_York"), "America/New_York");
    EXPECT_EQ(describe(":Europe/Paris"), "Europe/Paris");
    EXPECT_EQ(describe("/usr/share/zoneinfo/Asia/Tokyo"), "Asia/Tokyo");
    EXPECT_EQ(describe("JST-9"), "+09");
    EXPECT_EQ(describe("<+0330>-3:30"), "+03:30");
    EXPECT_EQ(describe("UTC0"), "UTC");
    // A rule with daylight saving is the offset it puts in force at the instant.
    EXPECT_EQ(describe("EST5EDT,M3.2.0,M11.1.0"), "-04");
    EXPECT_EQ(describe("EST5EDT,M3.2.0,M11.1.0", kJanuary2024), "-05");
    EXPECT_EQ(describe("AEST-10AEDT,M10.1.0,M4.1.0/3"), "+10");
    EXPECT_EQ(describe("AEST-10AEDT,M10.1.0,M4.1.0/3", kJanuary2024), "+11");
    EXPECT_EQ(describe("GMT0BST,M3.5.0/1,M10.5.0", kJanuary2024), "UTC");
    // Both a POSIX string with daylight saving and a database name: the database zone.
    EXPECT_EQ(describe("EST5EDT"), "EST5EDT");
    EXPECT_EQ(describe("CST6CDT"), "CST6CDT");
    // Daylight saving without dates and no such database zone: the United States dates.
    EXPECT_EQ(describe("ABC5DEF"), "-04");
    EXPECT_EQ(describe("ABC5DEF", kJanuary2024), "-05");
    EXPECT_EQ(describe("EST5EDT,M3.2.0"), "Etc/Unknown");
    EXPECT_EQ(describe("Mars/Base"), "Etc/Unknown");
    EXPECT_EQ(describe("/etc/passwd"), "Etc/Unknown");
    EXPECT_EQ(describe("/dev/stdin"), "Etc/Unknown");
    const TimeZone by_path = zone_from_tz_value("/usr/share/zoneinfo/posix/Asia/Tokyo", kJuly2024);
    EXPECT_EQ(by_path.kind(), TimeZone::Kind::Tzif);
    EXPECT_FALSE(by_path.iana_name().has_value());
    EXPECT_EQ(by_path.describe(), "+09");
}

}  // namespace
}  // namespace orvel::datetime::testing
