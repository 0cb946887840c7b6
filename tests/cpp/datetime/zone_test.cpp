#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "datetime/iso_text.h"
#include "datetime/zone_db.h"

namespace orvel::datetime {
namespace {

std::string zoned_text(const Zoned& z) {
    std::string out;
    append_zoned(out, z);
    return out;
}

TimeZone named(std::string_view name) {
    auto tz = find_zone(name);
    EXPECT_TRUE(tz.has_value()) << name;
    return tz ? *tz : TimeZone::utc();
}

TEST(ZoneDatabase, LooksNamesUpIgnoringAsciiCaseAndKeepsTheDatabaseSpelling) {
    auto tz = find_zone("america/new_york");
    ASSERT_TRUE(tz.has_value());
    EXPECT_EQ(tz->iana_name().value(), "America/New_York");
    EXPECT_EQ(find_zone("US/Eastern")->iana_name().value(), "US/Eastern");
    EXPECT_EQ(find_zone("uTc")->kind(), TimeZone::Kind::Utc);
    EXPECT_EQ(find_zone("etc/unknown")->kind(), TimeZone::Kind::Unknown);
}

class UnsafeZoneName : public ::testing::TestWithParam<std::string> {};

TEST_P(UnsafeZoneName, IsNotFoundAndNeverOpened) {
    auto tz = find_zone(GetParam());
    ASSERT_FALSE(tz.has_value());
    EXPECT_EQ(tz.error().message,
              "failed to find time zone `" + GetParam() + "` in time zone database");
    EXPECT_FALSE(tz.error().is_range);
}

INSTANTIATE_TEST_SUITE_P(Table, UnsafeZoneName,
                         ::testing::Values("/etc/passwd", "file:/etc/passwd", "../../etc/passwd",
                                           "America/../../../etc/passwd", "America//New_York",
                                           "./UTC", "America/New_York/", std::string("UTC\0x", 5),
                                           "/dev/stdin", "zone.tab", "iso3166.tab",
                                           "posix/America/New_York", "right/UTC", "Fixed/UTC+5",
                                           "UTC0", "Mars/Base", "America", std::string(300, 'a'),
                                           "Europe/Paris\n"));

TEST(ZoneDatabase, FifoInsideTheDirectoryDoesNotBlock) {
    char dir_template[] = "/tmp/orvel-tzdir-XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::string dir = dir_template;
    const std::string fifo = dir + "/Blocking";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // The process-wide index is already built from the system directory; the FIFO is reached
    // only by path through the trusted loader, which must refuse it without blocking.
    EXPECT_FALSE(load_zone_file(fifo).has_value());
    EXPECT_FALSE(load_zone_file(dir).has_value());
    unlink(fifo.c_str());
    rmdir(dir.c_str());
}

// Where local times land is checked against Python's zoneinfo (tests/python/test_datetime.py).
TEST(Zones, GapsAndFoldsInNewYork) {
    const TimeZone ny = named("America/New_York");
    const LocalOffsets skipped = ny.offsets_for(DateTime{{2024, 3, 10}, {2, 30, 0, 0}});
    EXPECT_EQ(skipped.kind, LocalOffsets::Kind::Gap);
    EXPECT_EQ(skipped.before, -5 * 3600);
    EXPECT_EQ(skipped.after, -4 * 3600);
    auto rejected =
        zoned_from_local(DateTime{{2024, 11, 3}, {1, 30, 0, 0}}, ny, Disambiguation::Reject);
    ASSERT_FALSE(rejected.has_value());
    EXPECT_NE(rejected.error().message.find("fold between offsets -04 and -05"), std::string::npos);
}

struct ZonedCase {
    std::string text;
    std::string canonical;
};

class ZonedReading : public ::testing::TestWithParam<ZonedCase> {};

TEST_P(ZonedReading, ReadsRfc9557AndWritesTheCanonicalText) {
    auto z = parse_zoned(GetParam().text);
    ASSERT_TRUE(z.has_value()) << GetParam().text << ": " << z.error().message;
    EXPECT_EQ(zoned_text(*z), GetParam().canonical);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ZonedReading,
    ::testing::Values(
        ZonedCase{"2024-01-15T09:30:00[america/new_york]",
                  "2024-01-15T09:30:00-05:00[America/New_York]"},
        ZonedCase{"2024-01-15T14:30:00Z[America/New_York]",
                  "2024-01-15T09:30:00-05:00[America/New_York]"},
        ZonedCase{"2024-06-15T12:00:00[+00:00]", "2024-06-15T12:00:00+00:00[UTC]"},
        ZonedCase{"2024-06-15T12:00:00Z[Etc/Unknown]", "2024-06-15T12:00:00Z[Etc/Unknown]"},
        ZonedCase{"2024-11-03T01:30:00-05:00[America/New_York]",
                  "2024-11-03T01:30:00-05:00[America/New_York]"},
        ZonedCase{"2024-11-03T01:30:00-04:00[America/New_York][u-ca=iso8601]",
                  "2024-11-03T01:30:00-04:00[America/New_York]"},
        ZonedCase{"2024-03-10T02:30:00[!America/New_York]",
                  "2024-03-10T03:30:00-04:00[America/New_York]"},
        ZonedCase{"1800-01-01T00:00:00-04:56[America/New_York]",
                  "1800-01-01T00:00:00-04:56[America/New_York]"},
        ZonedCase{"-009999-01-02T01:59:59+00:00[UTC]", "-009999-01-02T01:59:59+00:00[UTC]"}));

class ZonedRefusal : public ::testing::TestWithParam<std::string> {};

TEST_P(ZonedRefusal, RefusesUnreadableZonedTexts) {
    EXPECT_FALSE(parse_zoned(GetParam()).has_value()) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(
    Table, ZonedRefusal,
    ::testing::Values("2024-01-15T09:30:00-05:00", "2024-01-15T09:30:00-04:00[America/New_York]",
                      "2024-03-10T02:30:00-05:00[America/New_York]",
                      "2024-01-15T09:30:00[Mars/Base]", "2024-01-15T09:30:00[../../etc/passwd]",
                      "9999-12-31T23:00:00[UTC]", "2024-01-15T09:30:00[UTC][America/New_York]",
                      "2024-01-15T09:30:00[UTC"));

TEST(Zones, OutOfRangeInstantIsARangeError) {
    auto z = parse_zoned("9999-12-31T23:00:00[UTC]");
    ASSERT_FALSE(z.has_value());
    EXPECT_TRUE(z.error().is_range);
}

}  // namespace
}  // namespace orvel::datetime
