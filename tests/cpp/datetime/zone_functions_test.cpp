// Placing local times in zones, converting and parsing them are checked against Python's
// zoneinfo in tests/python/test_datetime.py; here: payload forms, argument rules, messages.
#include <gtest/gtest.h>

#include "datetime/iso_text.h"
#include "datetime/system_zone.h"
#include "function_test_support.h"

namespace orvel::datetime::testing {
namespace {

class ZoneFunctions : public ::testing::TestWithParam<CallCase> {};

TEST_P(ZoneFunctions, PlaceAndConvertInstants) {
    const auto& c = GetParam();
    EXPECT_EQ(call(c.function, c.args), c.expected) << c.function;
}

const core::CellValue kGap = C("jdatetime", "2024-03-10T02:30:00");
const core::CellValue kFold = C("jdatetime", "2024-11-03T01:30:00");
const core::CellValue kNy = T("America/New_York");

const CallCase kCases[] = {
    {"TIMEZONE", {T("Z")}, "jtimezone:UTC"},
    {"TIMEZONE", {T("+0530")}, "jtimezone:+05:30"},
    {"TIMEZONE", {T("-05")}, "jtimezone:-05:00"},
    {"TIMEZONE", {T("europe/paris")}, "jtimezone:Europe/Paris"},
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
    {"PARSE_ZONED",
     {T("2024-01-15T09:30:00-05:00[America/New_York]")},
     "jzoned:2024-01-15T09:30:00-05:00[America/New_York]"},
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
    {"NOW", {N(1)}, "#VALUE! NOW: expected no args"},
    {"UTCNOW", {N(1)}, "#VALUE! UTCNOW: expected no args"},
    {"TODAY", {N(1)}, "#VALUE! TODAY: expected no args"}};

INSTANTIATE_TEST_SUITE_P(Table, ZoneFunctions, ::testing::ValuesIn(kCases));

TEST(ClockFunctions, GiveCurrentValuesOfTheRightShape) {
    const std::string now = call("NOW", {});
    const std::string utcnow = call("UTCNOW", {});
    const std::string today = call("TODAY", {});
    ASSERT_EQ(now.substr(0, 7), "jzoned:");
    ASSERT_EQ(utcnow.substr(0, 7), "jzoned:");
    ASSERT_EQ(today.substr(0, 6), "jdate:");
    EXPECT_TRUE(utcnow.ends_with("+00:00[UTC]")) << utcnow;
    auto now_value = parse_zoned(now.substr(7));
    auto utc_value = parse_zoned(utcnow.substr(7));
    ASSERT_TRUE(now_value.has_value()) << now;
    ASSERT_TRUE(utc_value.has_value()) << utcnow;
    // Read one after the other: the instants lie within a few seconds.
    EXPECT_LE(utc_value->instant.seconds - now_value->instant.seconds, 5);
    EXPECT_GE(utc_value->instant.seconds, now_value->instant.seconds);
    EXPECT_GT(now_value->local.date.year, 2020);
    // TODAY is the system zone's date of a NOW taken around it.
    const std::string today_again = call("TO_DATE", {C("jzoned", now.substr(7))});
    const std::string later = call("TODAY", {});
    EXPECT_TRUE(today == today_again || later == today_again) << today << " " << today_again;
}

constexpr std::int64_t kJuly2024 = 1'719'835'200;    // 2024-07-01T12:00:00Z
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
