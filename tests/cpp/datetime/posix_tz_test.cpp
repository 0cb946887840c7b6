// POSIX TZ rule strings: what is read, the dates each rule form names, and the offset in force on
// either side of each change. The change instants come from the C library's reading of the same
// TZ values; tests/python/test_system_zone.py compares NOW and TODAY with it.
#include "datetime/posix_tz.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "datetime/civil.h"

namespace orvel::datetime::testing {
namespace {

using Kind = PosixRuleDate::Kind;

struct ParseCase {
    const char* text;
    std::int32_t standard;
    std::optional<std::int32_t> daylight;
};

class PosixRuleReading : public ::testing::TestWithParam<ParseCase> {};

TEST_P(PosixRuleReading, OffsetsAreSecondsEastOfUtc) {
    const auto& c = GetParam();
    auto zone = parse_posix_tz(c.text);
    ASSERT_TRUE(zone.has_value()) << c.text;
    EXPECT_EQ(zone->standard_offset, c.standard);
    ASSERT_EQ(zone->daylight.has_value(), c.daylight.has_value());
    if (c.daylight) {
        EXPECT_EQ(zone->daylight->offset, *c.daylight);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PosixRuleReading,
    ::testing::Values(ParseCase{"EST5", -18000, std::nullopt},
                      ParseCase{"<-03>3", -10800, std::nullopt},
                      ParseCase{"<+0530>-5:30", 19800, std::nullopt},
                      ParseCase{"AAA+24", -86400, std::nullopt},
                      ParseCase{"AAA-24:59:59", 89999, std::nullopt},
                      ParseCase{"EST5EDT", -18000, -14400},
                      ParseCase{"EST5EDT,M3.2.0,M11.1.0", -18000, -14400},
                      ParseCase{"CET-1CEST,M3.5.0,M10.5.0/3", 3600, 7200},
                      ParseCase{"AAA3BBB2,J1/-167,0/167", -10800, -7200},
                      ParseCase{"IST-2IDT-3:00:01,M3.4.4/26,M10.5.0", 7200, 10801},
                      ParseCase{"<-03>3<-02>,M3.5.0/-2,M10.5.0/-1", -10800, -7200}));

class PosixRuleRejection : public ::testing::TestWithParam<const char*> {};

TEST_P(PosixRuleRejection, IsNotARule) {
    EXPECT_FALSE(parse_posix_tz(GetParam()).has_value()) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, PosixRuleRejection,
    ::testing::Values("", "UTC", "America/New_York", "EST", "ES5", "EST5 ", "EST+", "EST25",
                      "EST5:60", "EST5:5", "EST5EDT,", "EST5EDT,M3.2.0", "EST5EDT,M3.2.0,",
                      "EST5EDT,M3.2.0,M11.1.0,", "EST5EDT,M3.2.0,M11.1.0x",
                      "EST5EDT,M13.2.0,M11.1.0", "EST5EDT,M0.2.0,M11.1.0",
                      "EST5EDT,M3.0.0,M11.1.0", "EST5EDT,M3.6.0,M11.1.0",
                      "EST5EDT,M3.2.7,M11.1.0", "EST5EDT,M3.2,M11.1.0", "EST5EDT,J0,J10",
                      "EST5EDT,J366,J10", "EST5EDT,366,10", "EST5EDT,J1/168,J10",
                      "EST5EDT,J1/-168,J10", "EST5EDT,J1/2:60,J10", "EST5EDT25,J1,J10",
                      "EST5ED,J1,J10", "<ES>5", "<EST5", "EST99999999999999999999999",
                      "EST5EDT,M99999999999999999999.1.0,J2",
                      // Names are ASCII letters (or, in <>, ASCII letters, digits and signs).
                      "\xC3\x84\xC3\x84\xC3\x84" "5", "EST5\xC3\x89" "DT",
                      "<\xC3\x84" "BC>5", "<AB C>5", "<ABC>\xEF\xBC\x95"));

TEST(PosixRuleRejection, LongTextIsRefused) {
    EXPECT_FALSE(parse_posix_tz(std::string(100'000, 'A')).has_value());
    EXPECT_FALSE(parse_posix_tz("EST5EDT,J1,J2" + std::string(100'000, '0')).has_value());
    EXPECT_FALSE(parse_posix_tz("<" + std::string(100'000, '1')).has_value());
}

struct DateCase {
    const char* rule_date;  // as written after "AAA0BBB,"
    std::int64_t year;
    Date date;
    std::int32_t time;
};

class PosixRuleDates : public ::testing::TestWithParam<DateCase> {};

TEST_P(PosixRuleDates, NameTheLocalDateAndTime) {
    const auto& c = GetParam();
    auto zone = parse_posix_tz(std::string("AAA0BBB,") + c.rule_date + ",J1");
    ASSERT_TRUE(zone.has_value()) << c.rule_date;
    EXPECT_EQ(posix_transition_seconds(zone->daylight->start, c.year, 0),
              epoch_day(c.date) * kSecondsPerDay + c.time)
        << c.rule_date << " in " << c.year;
    // The change happens on the local clock in force before it.
    EXPECT_EQ(posix_transition_seconds(zone->daylight->start, c.year, 3600),
              epoch_day(c.date) * kSecondsPerDay + c.time - 3600);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PosixRuleDates,
    ::testing::Values(
        // Mm.w.d: the w-th weekday d; week 5 is the last, whether the month has four or five.
        DateCase{"M3.2.0", 2024, {2024, 3, 10}, 7200},
        DateCase{"M11.1.0", 2024, {2024, 11, 3}, 7200},
        DateCase{"M3.1.5", 2024, {2024, 3, 1}, 7200},
        DateCase{"M3.5.0", 2024, {2024, 3, 31}, 7200},
        DateCase{"M3.4.0", 2024, {2024, 3, 24}, 7200},
        DateCase{"M9.5.0", 2024, {2024, 9, 29}, 7200},
        DateCase{"M2.5.4", 2024, {2024, 2, 29}, 7200},
        DateCase{"M2.5.4", 2023, {2023, 2, 23}, 7200},
        DateCase{"M2.4.3", 2023, {2023, 2, 22}, 7200},
        DateCase{"M2.5.3", 2023, {2023, 2, 22}, 7200},
        DateCase{"M12.5.6", 2024, {2024, 12, 28}, 7200},
        DateCase{"M1.1.1", 2024, {2024, 1, 1}, 7200},
        DateCase{"M3.2.0", 2000, {2000, 3, 12}, 7200},
        DateCase{"M3.2.0", 1900, {1900, 3, 11}, 7200},
        // Jn never counts 29 February; n counts it, and from 0.
        DateCase{"J1", 2024, {2024, 1, 1}, 7200},
        DateCase{"J59", 2024, {2024, 2, 28}, 7200},
        DateCase{"J60", 2024, {2024, 3, 1}, 7200},
        DateCase{"J60", 2023, {2023, 3, 1}, 7200},
        DateCase{"J365", 2024, {2024, 12, 31}, 7200},
        DateCase{"J60", 2000, {2000, 3, 1}, 7200},
        DateCase{"J60", 1900, {1900, 3, 1}, 7200},
        DateCase{"0", 2024, {2024, 1, 1}, 7200},
        DateCase{"59", 2024, {2024, 2, 29}, 7200},
        DateCase{"59", 2023, {2023, 3, 1}, 7200},
        DateCase{"365", 2024, {2024, 12, 31}, 7200},
        DateCase{"365", 2023, {2024, 1, 1}, 7200},
        // Times: hours only, minutes and seconds, signed, and up to a week either way.
        DateCase{"J1/0", 2024, {2024, 1, 1}, 0},
        DateCase{"J1/3", 2024, {2024, 1, 1}, 3 * 3600},
        DateCase{"J1/+1:30", 2024, {2024, 1, 1}, 5400},
        DateCase{"J1/24:59:59", 2024, {2024, 1, 1}, 89999},
        DateCase{"J1/-1", 2024, {2024, 1, 1}, -3600},
        DateCase{"J1/-0:00:01", 2024, {2024, 1, 1}, -1},
        DateCase{"J10/167", 2024, {2024, 1, 10}, 167 * 3600},
        DateCase{"J10/-167", 2024, {2024, 1, 10}, -167 * 3600},
        DateCase{"M3.2.0/167:59:59", 2024, {2024, 3, 10}, 167 * 3600 + 3599}));

struct ChangeCase {
    const char* rule;
    std::int64_t at;  // the first second of the new offset
    std::int32_t before;
    std::int32_t after;
};

class PosixRuleChanges : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(PosixRuleChanges, TakeEffectAtTheExactSecond) {
    const auto& c = GetParam();
    auto zone = parse_posix_tz(c.rule);
    ASSERT_TRUE(zone.has_value()) << c.rule;
    EXPECT_EQ(posix_offset_at(*zone, c.at - 1), c.before) << c.rule << " at " << c.at - 1;
    EXPECT_EQ(posix_offset_at(*zone, c.at), c.after) << c.rule << " at " << c.at;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PosixRuleChanges,
    ::testing::Values(
        // 2024-03-10T07:00Z and 2024-11-03T06:00Z (02:00 local each).
        ChangeCase{"EST5EDT,M3.2.0,M11.1.0", 1'710'054'000, -18000, -14400},
        ChangeCase{"EST5EDT,M3.2.0,M11.1.0", 1'730'613'600, -14400, -18000},
        ChangeCase{"ABC5DEF", 1'710'054'000, -18000, -14400},
        ChangeCase{"ABC5DEF", 1'730'613'600, -14400, -18000},
        // 2024-03-31T01:00Z and 2024-10-27T01:00Z.
        ChangeCase{"CET-1CEST,M3.5.0,M10.5.0/3", 1'711'846'800, 3600, 7200},
        ChangeCase{"CET-1CEST,M3.5.0,M10.5.0/3", 1'729'990'800, 7200, 3600},
        // Southern hemisphere: the end comes first in the year.
        ChangeCase{"AEST-10AEDT,M10.1.0,M4.1.0/3", 1'712'419'200, 39600, 36000},
        ChangeCase{"AEST-10AEDT,M10.1.0,M4.1.0/3", 1'728'144'000, 36000, 39600},
        ChangeCase{"NZST-12NZDT,M9.5.0,M4.1.0/3", 1'712'412'000, 46800, 43200},
        ChangeCase{"NZST-12NZDT,M9.5.0,M4.1.0/3", 1'727'532'000, 43200, 46800},
        // Negative and week-long times: 2024-03-10T02:00Z, 2024-11-10T01:00Z.
        ChangeCase{"AAA3BBB,M3.2.0/-1,M11.1.0/167", 1'710'036'000, -10800, -7200},
        ChangeCase{"AAA3BBB,M3.2.0/-1,M11.1.0/167", 1'731'200'400, -7200, -10800},
        // J60 and 59 on either side of a leap day: 2024-02-28T17:00Z, 2024-02-29T18:30Z;
        // 2023-02-28T17:00Z, 2023-02-28T18:30Z.
        ChangeCase{"AAA-5:30BBB-7,J60/0,59/0", 1'709'139'600, 25200, 19800},
        ChangeCase{"AAA-5:30BBB-7,J60/0,59/0", 1'709'231'400, 19800, 25200},
        ChangeCase{"AAA-5:30BBB-7,J60/0,59/0", 1'677'603'600, 25200, 19800},
        ChangeCase{"AAA-5:30BBB-7,J60/0,59/0", 1'677'609'000, 19800, 25200},
        // The last Thursday of February less a week; the last Saturday of December plus a day:
        // 2024-02-22T03:00Z, 2024-12-29T01:59:59Z.
        ChangeCase{"XXX2YYY,M2.5.4/-167,M12.5.6/24:59:59", 1'708'570'800, -7200, -3600},
        ChangeCase{"XXX2YYY,M2.5.4/-167,M12.5.6/24:59:59", 1'735'437'599, -3600, -7200},
        // A change pushed into the next year ends that year's daylight saving:
        // 2023-01-01T01:59:59Z.
        ChangeCase{"XXX2YYY,M2.5.4/-167,M12.5.6/24:59:59", 1'672'538'399, -3600, -7200}));

TEST(PosixRuleChanges, EndingAsTheNextStartsIsDaylightSavingAllYear) {
    auto zone = parse_posix_tz("EST5EDT,0/0,J365/25");
    ASSERT_TRUE(zone.has_value());
    for (std::int64_t at : {1'704'067'199, 1'704'067'200, 1'704'085'199, 1'704'085'200,
                            1'719'835'200, 1'735'707'600}) {
        EXPECT_EQ(posix_offset_at(*zone, at), -14400) << at;
    }
}

TEST(PosixRuleChanges, StartingAndEndingAtOnceIsStandardTimeAllYear) {
    auto zone = parse_posix_tz("AAA3BBB,J100,J100/3");  // 02:00 at -03 is 03:00 at -02
    ASSERT_TRUE(zone.has_value());
    const std::int64_t change = posix_transition_seconds(zone->daylight->start, 2024, -10800);
    EXPECT_EQ(change, posix_transition_seconds(zone->daylight->end, 2024, -7200));
    for (std::int64_t at : {change - 1, change, change + 1, change + 86400 * 100}) {
        EXPECT_EQ(posix_offset_at(*zone, at), -10800) << at;
    }
}

TEST(PosixRuleChanges, InstantsAtTheEndsOfTheCalendarAreSafe) {
    auto zone = parse_posix_tz("AEST-10AEDT,M10.1.0,M4.1.0/3");
    ASSERT_TRUE(zone.has_value());
    EXPECT_EQ(posix_offset_at(*zone, std::numeric_limits<std::int64_t>::min()), 39600);
    EXPECT_EQ(posix_offset_at(*zone, std::numeric_limits<std::int64_t>::max()), 39600);
    auto standard = parse_posix_tz("JST-9");
    ASSERT_TRUE(standard.has_value());
    EXPECT_EQ(posix_offset_at(*standard, 0), 32400);
}

}  // namespace
}  // namespace orvel::datetime::testing
