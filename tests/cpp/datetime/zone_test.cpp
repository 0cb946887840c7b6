#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "datetime/zone_db.h"

namespace orvel::datetime {
namespace {

TEST(ZoneDatabase, LooksNamesUpIgnoringAsciiCaseAndKeepsTheDatabaseSpelling) {
    auto tz = find_zone("america/new_york");
    ASSERT_TRUE(tz.has_value());
    EXPECT_EQ(tz->iana_name().value(), "America/New_York");
    EXPECT_EQ(find_zone("US/Eastern")->iana_name().value(), "US/Eastern");
    EXPECT_EQ(find_zone("uTc")->kind(), TimeZone::Kind::Utc);
    EXPECT_EQ(find_zone("etc/unknown")->kind(), TimeZone::Kind::Unknown);
    // The index holds names of every allowed byte, each compared from its first byte.
    for (std::string name :
         {"Europe/Zurich", "America/Mazatlan", "Etc/GMT+9", "Etc/GMT0", "America/Port-au-Prince"}) {
        EXPECT_EQ(find_zone(name)->iana_name().value(), name);
    }
    EXPECT_EQ(find_zone("europe/zurich")->iana_name().value(), "Europe/Zurich");
    EXPECT_FALSE(find_zone("xTC").has_value());
    EXPECT_FALSE(find_zone("xtc/Unknown").has_value());
    EXPECT_FALSE(find_zone("Xmerica/New_York").has_value());
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
    // A file loads once and is then served again.
    EXPECT_TRUE(load_zone_file("/usr/share/zoneinfo/Asia/Tokyo").has_value());
    EXPECT_TRUE(load_zone_file("/usr/share/zoneinfo/Asia/Tokyo").has_value());
    unlink(fifo.c_str());
    rmdir(dir.c_str());
}

}  // namespace
}  // namespace orvel::datetime
