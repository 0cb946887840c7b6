#include "datetime/strftime.h"

#include <gtest/gtest.h>

#include "datetime/iso_text.h"
#include "datetime/strptime.h"

namespace orvel::datetime {
namespace {

const Zoned& sample_zoned() {
    static const Zoned z = *parse_zoned("2024-07-14T17:31:59.123456789-04:00[America/New_York]");
    return z;
}

struct FormatCase {
    std::string format;
    std::string expected;
};

class ZonedFormatting : public ::testing::TestWithParam<FormatCase> {};

TEST_P(ZonedFormatting, DirectivesFollowStrftime) {
    std::string out;
    auto r = format_strftime(out, GetParam().format, FormatFields::of(sample_zoned()));
    ASSERT_TRUE(r.has_value()) << GetParam().format << ": " << r.error().message;
    EXPECT_EQ(out, GetParam().expected) << GetParam().format;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ZonedFormatting,
    ::testing::Values(
        FormatCase{"%A %a %B %b %h", "Sunday Sun July Jul Jul"},
        FormatCase{"%C %y %G %g %V", "20 24 2024 24 28"},
        FormatCase{"%c", "2024 M07 14, Sun 17:31:59"},
        FormatCase{"%D|%F|%R|%T|%r", "07/14/24|2024-07-14|17:31|17:31:59|05:31:59 PM"},
        FormatCase{"%e|%-d|%_m|%5Y|%-j", "14|14| 7|02024|196"},
        FormatCase{"%I %l %k %p %P", "05  5 17 PM pm"},
        FormatCase{"%f|%.f|%3f|%.3f|%N", "123456789|.123456789|123|.123|123456789"},
        FormatCase{"%j %U %W %u %w %q", "196 28 28 7 0 3"}, FormatCase{"%s", "1720992719"},
        FormatCase{"%z %:z %::z %:::z", "-0400 -04:00 -04:00:00 -04"},
        FormatCase{"%Q|%:Q", "America/New_York|America/New_York"},
        FormatCase{"%^a %#b %10A|%-5a|", "SUN jUL     Sunday|Sun|"},
        FormatCase{"100%% %n%t", "100% \n\t"}, FormatCase{"%x %X", "2024 M07 14 17:31:59"},
        FormatCase{"%255Y", std::string(16, '0') + "2024"}));

TEST(Formatting, MissingFieldsAndBadDirectivesFail) {
    std::string out;
    const Date date{2024, 1, 31};
    EXPECT_TRUE(format_strftime(out, "%Y/%m/%d", FormatFields::of(date)).has_value());
    EXPECT_EQ(out, "2024/01/31");
    const DateTime dt{date, Time{10, 0, 0, 0}};
    EXPECT_FALSE(format_strftime(out, "%Z", FormatFields::of(dt)).has_value());
    EXPECT_FALSE(format_strftime(out, "%K", FormatFields::of(dt)).has_value());
    EXPECT_FALSE(format_strftime(out, "%256Y", FormatFields::of(dt)).has_value());
    EXPECT_FALSE(format_strftime(out, "%Y", FormatFields::of(Time{})).has_value());
}

TEST(Formatting, FixedZonesAndNegativeYears) {
    std::string out;
    const Zoned fixed = *parse_zoned("2024-06-15T12:00:00+05:30[+05:30]");
    ASSERT_TRUE(format_strftime(out, "%Z %Q %:Q %z", FormatFields::of(fixed)).has_value());
    EXPECT_EQ(out, "+05:30 +0530 +05:30 +0530");
    out.clear();
    ASSERT_TRUE(format_strftime(out, "%Y %y %C", FormatFields::of(Date{-44, 3, 15})).has_value());
    EXPECT_EQ(out, "-0044 56 00");
}

struct ParseCase {
    std::string text, format, expected;  // expected: the date-time, or "error"
};

class Parsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(Parsing, FieldsBecomeDateTimes) {
    const auto& c = GetParam();
    auto fields = parse_strptime(c.text, c.format);
    Result<DateTime> dt =
        fields ? fields_to_datetime(*fields) : Result<DateTime>(unexpected(fields.error()));
    if (c.expected == "error") {
        EXPECT_FALSE(dt.has_value()) << c.text << " / " << c.format;
        return;
    }
    ASSERT_TRUE(dt.has_value()) << c.text << " / " << c.format << ": " << dt.error().message;
    std::string out;
    append_datetime(out, *dt);
    EXPECT_EQ(out, c.expected);
}

// Each directive also parses back what it wrote: round_trip_property_test.cpp.
INSTANTIATE_TEST_SUITE_P(
    Table, Parsing,
    ::testing::Values(ParseCase{"5/3/2024", "%d/%m/%Y", "2024-03-05T00:00:00"},
                      ParseCase{"2024-03-05 x", "%Y-%m-%d", "error"},
                      ParseCase{"2024   07 14", "%Y %m %d", "2024-07-14T00:00:00"},
                      ParseCase{"2024 28 0", "%Y %U %w", "2024-07-14T00:00:00"},
                      ParseCase{"2024 28 7", "%Y %W %u", "2024-07-14T00:00:00"},
                      ParseCase{"24-07-14", "%y-%m-%d", "2024-07-14T00:00:00"},
                      ParseCase{"99-07-14", "%y-%m-%d", "1999-07-14T00:00:00"},
                      ParseCase{"2025-02-29", "%Y-%m-%d", "error"},
                      ParseCase{"2024-07-14 Mon", "%Y-%m-%d %a", "error"},
                      ParseCase{"2024-07-14T10:61", "%Y-%m-%dT%H:%M", "error"},
                      ParseCase{"2024-07-14 10", "%Y-%m-%d %Z", "error"},
                      ParseCase{"x", "%c", "error"},
                      ParseCase{"2024-07-14 99999999999999999999", "%Y-%m-%d %s", "error"},
                      ParseCase{"-0044-03-15", "%Y-%m-%d", "-000044-03-15T00:00:00"},
                      ParseCase{"2024-07-14 23:59:60", "%F %T", "2024-07-14T23:59:59"},
                      ParseCase{"2024", "%Y", "error"}, ParseCase{"14:30", "%H:%M", "error"}));

TEST(Parsing, TimeWithoutAnHourIsMidnight) {
    auto fields = parse_strptime("2024", "%Y");
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ(*fields_to_time(*fields), Time{});
    auto minutes_only = parse_strptime("30", "%M");
    ASSERT_TRUE(minutes_only.has_value());
    EXPECT_FALSE(fields_to_time(*minutes_only).has_value());
}

TEST(Parsing, ZonesComeFromNamesOffsetsOrTimestamps) {
    auto zoned = [](std::string_view text, std::string_view format) -> std::string {
        auto fields = parse_strptime(text, format);
        if (!fields) return "error: " + fields.error().message;
        auto z = fields_to_zoned(*fields);
        if (!z) return "error: " + z.error().message;
        std::string out;
        append_zoned(out, *z);
        return out;
    };
    EXPECT_EQ(zoned("1720992719 America/New_York", "%s %Q"),
              "2024-07-14T17:31:59-04:00[America/New_York]");
    EXPECT_EQ(zoned("1720992719 -0400 America/New_York", "%s %z %Q"),
              "2024-07-14T17:31:59-04:00[America/New_York]");
    EXPECT_EQ(zoned("1720992719 -0500 America/New_York", "%s %z %Q").substr(0, 6), "error:");
    EXPECT_EQ(zoned("1720992719", "%s"), "2024-07-14T21:31:59Z[Etc/Unknown]");
    EXPECT_EQ(zoned("1720992719 +0000", "%s %z"), "2024-07-14T21:31:59+00:00[UTC]");
    EXPECT_EQ(zoned("2024-07-14 10:00 +05:30", "%F %H:%M %Q"), "2024-07-14T10:00:00+05:30[+05:30]");
    EXPECT_EQ(zoned("2024-07-14 10:00 Mars/Base", "%F %H:%M %Q"),
              "error: failed to find time zone `Mars/Base` in time zone database");
    EXPECT_EQ(zoned("2024-07-14 10:00", "%F %H:%M").substr(0, 6), "error:");
    EXPECT_EQ(zoned("2024-07-14 10:00 +053015", "%F %H:%M %z"),
              "2024-07-14T10:00:00+05:30[+05:30]");
}

}  // namespace
}  // namespace orvel::datetime
