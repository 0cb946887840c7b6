// POSIX TZ rule strings: what is read (each field at its limits and one past), the dates each
// rule form names, and the offset in force at an instant, compared with the C library's reading
// of the same TZ values over many random rules and years.
#include "datetime/posix_tz.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "datetime/civil.h"
#include "datetime/instant.h"

namespace orvel::datetime::testing {
namespace {

struct ParseCase {
    const char* text;
    std::int32_t standard;
    std::optional<std::int32_t> daylight;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.text; }

class PosixRuleReading : public ::testing::TestWithParam<ParseCase> {};

TEST_P(PosixRuleReading, OffsetsAreSecondsEastOfUtc) {
    const auto& c = GetParam();
    auto zone = parse_posix_tz(c.text);
    ASSERT_TRUE(zone.has_value()) << c.text;
    EXPECT_EQ(zone->standard_offset, c.standard) << c.text;
    ASSERT_EQ(zone->daylight.has_value(), c.daylight.has_value()) << c.text;
    if (c.daylight) {
        EXPECT_EQ(zone->daylight->offset, *c.daylight) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PosixRuleReading,
    ::testing::Values(
        ParseCase{"EST5", -18000, std::nullopt}, ParseCase{"<-03>3", -10800, std::nullopt},
        ParseCase{"<+0530>-5:30", 19800, std::nullopt}, ParseCase{"AAA05", -18000, std::nullopt},
        ParseCase{"AAA+24", -86400, std::nullopt}, ParseCase{"AAA-24:59:59", 89999, std::nullopt},
        ParseCase{"EST5EDT", -18000, -14400}, ParseCase{"EST5EDT,M3.2.0,M11.1.0", -18000, -14400},
        ParseCase{"EST5EDT,M03.2.0,M12.5.6", -18000, -14400},
        ParseCase{"AAA3BBB2,J1/-167,0/167", -10800, -7200},
        ParseCase{"AAA3BBB,J001,J365/002", -10800, -7200},
        ParseCase{"AAA3BBB,010,365/+000:00:00", -10800, -7200},
        ParseCase{"IST-2IDT-3:00:01,M3.4.4/26,M10.5.0", 7200, 10801},
        ParseCase{"<-03>3<-02>,M3.5.0/-2,M10.5.0/-1", -10800, -7200}));

class PosixRuleRejection : public ::testing::TestWithParam<const char*> {};

TEST_P(PosixRuleRejection, IsNotARule) {
    EXPECT_FALSE(parse_posix_tz(GetParam()).has_value()) << GetParam();
}

// Each field one past its limit: names of three or more, offsets to 24 hours in one or two
// digits, minutes and seconds in exactly two, months of one or two digits, one-digit weeks and
// weekdays, day numbers of up to three digits, rule times to 167 hours in up to three.
INSTANTIATE_TEST_SUITE_P(
    Malformed, PosixRuleRejection,
    ::testing::Values("", "UTC", "America/New_York", "EST", "ES5", "EST5 ", "EST+", "EST25",
                      "AAA005", "EST5:60", "EST5:5", "EST5:059", "EST5:00:60", "EST5:00:5",
                      "EST5:00:00:00", "EST5EDT,", "EST5EDT,M3.2.0", "EST5EDT,M3.2.0,",
                      "EST5EDT,M3.2.0,M11.1.0,", "EST5EDT,M3.2.0,M11.1.0x",
                      "EST5EDT,M13.2.0,M11.1.0", "EST5EDT,M0.2.0,M11.1.0",
                      "EST5EDT,M003.2.0,M11.1.0", "EST5EDT,M3.0.0,M11.1.0",
                      "EST5EDT,M3.6.0,M11.1.0", "EST5EDT,M3.05.0,M11.1.0",
                      "EST5EDT,M3.2.7,M11.1.0", "EST5EDT,M3.2.06,M11.1.0", "EST5EDT,M3.2,M11.1.0",
                      "EST5EDT,J0,J10", "EST5EDT,J366,J10", "EST5EDT,J0010,J10", "EST5EDT,366,10",
                      "EST5EDT,0010,10", "EST5EDT,J1/168,J10", "EST5EDT,J1/-168,J10",
                      "EST5EDT,J1/0002,J10", "EST5EDT,J1/2:60,J10", "EST5EDT25,J1,J10",
                      "ESTEDT,J1,J10", "EST5ED,J1,J10", "<ES>5", "<EST5", "EST99999999999999999999",
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

void PrintTo(const DateCase& c, std::ostream* os) { *os << c.rule_date << " in " << c.year; }

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
              epoch_day(c.date) * kSecondsPerDay + c.time - 3600)
        << c.rule_date << " in " << c.year;
}

// The C library comparison below covers years from 1970; these rows also reach before it.
INSTANTIATE_TEST_SUITE_P(
    Forms, PosixRuleDates,
    ::testing::Values(
        // Mm.w.d: the w-th weekday d; week 5 is the last, whether the month has four or five.
        DateCase{"M3.2.0", 2024, {2024, 3, 10}, 7200},
        DateCase{"M3.5.0", 2024, {2024, 3, 31}, 7200},
        DateCase{"M2.5.4", 2024, {2024, 2, 29}, 7200},
        DateCase{"M2.5.4", 2023, {2023, 2, 23}, 7200},
        DateCase{"M2.4.3", 2023, {2023, 2, 22}, 7200},
        DateCase{"M2.5.3", 2023, {2023, 2, 22}, 7200},
        DateCase{"M12.5.6", 2024, {2024, 12, 28}, 7200},
        DateCase{"M3.2.0", 1900, {1900, 3, 11}, 7200},
        DateCase{"M1.1.1", 1, {1, 1, 1}, 7200},
        // Jn never counts 29 February; n counts it, and from 0.
        DateCase{"J59", 2024, {2024, 2, 28}, 7200},
        DateCase{"J60", 2024, {2024, 3, 1}, 7200},
        DateCase{"J60", 1900, {1900, 3, 1}, 7200},
        DateCase{"J365", 2024, {2024, 12, 31}, 7200},
        DateCase{"0", 2024, {2024, 1, 1}, 7200},
        DateCase{"59", 2024, {2024, 2, 29}, 7200},
        DateCase{"59", 1900, {1900, 3, 1}, 7200},
        DateCase{"365", 2023, {2024, 1, 1}, 7200},
        // Times: hours only, minutes and seconds, signed, and up to a week either way.
        DateCase{"J1/0", 2024, {2024, 1, 1}, 0},
        DateCase{"J1/-0:00:01", 2024, {2024, 1, 1}, -1},
        DateCase{"J10/-167", 2024, {2024, 1, 10}, -167 * 3600},
        DateCase{"M3.2.0/167:59:59", 2024, {2024, 3, 10}, 167 * 3600 + 3599}));

struct OffsetCase {
    const char* rule;
    std::int64_t at;
    std::int32_t offset;
};

void PrintTo(const OffsetCase& c, std::ostream* os) { *os << c.rule << " at " << c.at; }

class PosixRuleOffsets : public ::testing::TestWithParam<OffsetCase> {};

constexpr const char* kDecember = "ABC5DEF,M12.3.0,J354/12";

TEST_P(PosixRuleOffsets, AreThoseOfTheInstantsOwnYear) {
    const auto& c = GetParam();
    auto zone = parse_posix_tz(c.rule);
    ASSERT_TRUE(zone.has_value()) << c.rule;
    EXPECT_EQ(posix_offset_at(*zone, c.at), c.offset) << c.rule << " at " << c.at;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PosixRuleOffsets,
    ::testing::Values(
        // Starts on the third Sunday of December (07:00Z), ends on 20 December at 12:00 local
        // (16:00Z). In 2026 the start comes first: daylight saving only between the two. In
        // 2025 (start the 21st) it comes after: daylight saving all year but between them.
        OffsetCase{kDecember, 1'796'644'800, -18000},  // 2026-12-07T12:00Z
        OffsetCase{kDecember, 1'797'749'999, -18000}, OffsetCase{kDecember, 1'797'750'000, -14400},
        OffsetCase{kDecember, 1'797'782'399, -14400}, OffsetCase{kDecember, 1'797'782'400, -18000},
        OffsetCase{kDecember, 1'751'328'000, -14400},  // 2025-07-01
        OffsetCase{kDecember, 1'766'246'400, -18000}, OffsetCase{kDecember, 1'766'300'400, -14400},
        // Without dates, the United States rule: 2024-03-10T07:00Z to 2024-11-03T06:00Z.
        OffsetCase{"ABC5DEF", 1'710'053'999, -18000}, OffsetCase{"ABC5DEF", 1'710'054'000, -14400},
        OffsetCase{"ABC5DEF", 1'730'613'599, -14400}, OffsetCase{"ABC5DEF", 1'730'613'600, -18000},
        // Before 1970 too, the instant's own year: 1959-12-31T12:00Z.
        OffsetCase{"AAA5BBB,0/0,J365/25", -315'662'400, -14400},
        // Instants beyond the supported range are read at its ends, -9999-01-02T01:59:59Z
        // (a second before a start) and 9999-12-30T22:00Z (an end).
        OffsetCase{"AAA0BBB,J2/2,J365", std::numeric_limits<std::int64_t>::min(), 0},
        OffsetCase{"AAA0BBB-1,J1/0,J364/23", std::numeric_limits<std::int64_t>::max(), 0}));

// The C library's reading of TZ values, for as long as it lives; then TZ is put back.
class CLibraryTz {
public:
    ~CLibraryTz() { use(saved_); }

    static void use(const std::optional<std::string>& tz) {
        tz ? ::setenv("TZ", tz->c_str(), 1) : ::unsetenv("TZ");
        ::tzset();
    }
    // The offset at the instant; none when the C library cannot say.
    static std::optional<std::int64_t> offset_at(std::int64_t at) {
        const std::time_t t = at;
        std::tm local{};
        if (::localtime_r(&t, &local) == nullptr) return std::nullopt;
        return local.tm_gmtoff;
    }

private:
    std::optional<std::string> saved_ =
        std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
};

// Random rule texts in every form our reader takes, zero-padded up to each field's width.
class RuleWriter {
public:
    explicit RuleWriter(std::uint64_t seed) : random_(seed) {}

    std::string rule() {
        static constexpr const char* kNames[] = {"AAA", "<A+1>", "<-0530>"};
        std::string out = kNames[pick(0, 2)] + offset(24);
        out += kNames[pick(0, 2)];
        if (pick(0, 1) == 1) out += offset(24);
        return out + ',' + date() + ',' + date();
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // `value` in up to `width` digits (exactly `width` when `fixed`).
    std::string number(int value, std::size_t width, bool fixed = false) {
        const std::string digits = std::to_string(value);
        std::size_t zeros = 0;
        while (digits.size() + zeros < width && (fixed || pick(0, 2) == 0)) ++zeros;
        return std::string(zeros, '0') + digits;
    }

    std::string offset(int max_hours) {
        static constexpr const char* kSigns[] = {"", "+", "-"};
        std::string out = kSigns[pick(0, 2)] + number(pick(0, max_hours), max_hours > 99 ? 3 : 2);
        for (int part = pick(0, 2); part > 0; --part) out += ':' + number(pick(0, 59), 2, true);
        return out;
    }

    std::string date() {
        std::string out;
        switch (pick(0, 2)) {
            case 0:
                out = 'M' + number(pick(1, 12), 2) + '.' + std::to_string(pick(1, 5)) + '.' +
                      std::to_string(pick(0, 6));
                break;
            case 1: out = 'J' + number(pick(1, 365), 3); break;
            default: out = number(pick(0, 365), 3); break;
        }
        switch (pick(0, 2)) {
            case 0: return out;
            case 1: return out + '/' + offset(24);
            default: return out + '/' + offset(kMaxPosixRuleTimeHours);
        }
    }

    std::mt19937_64 random_;
};

// The C library reads a rule within the instant's own year from 1970 on (before it, not by
// the rule), so the instants are taken from then: anywhere in a year, within a week of its
// start, and at each second either side of New Year and of the year's two changes.
TEST(PosixRuleOffsets, AgreeWithTheCLibraryOverRandomRulesAndYears) {
    const CLibraryTz c_library;
    std::vector<std::string> rules = {
        kDecember, "AEST-10AEDT,M10.1.0,M4.1.0/3", "AAA3BBB,J100,J100/3", "AAA3BBB,J100/3,J100",
        "AAA5BBB,0/0,J365/25", "AAA5BBB,J365/25,0/0", "AAA-14BBB+12,J1/-167,J365/167", "JST-9"};
    RuleWriter writer(20'261'207);
    while (rules.size() < 3000) rules.push_back(writer.rule());
    std::mt19937_64 random(7);
    auto in = [&](std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(random);
    };
    constexpr std::int64_t kWeek = 7 * kSecondsPerDay;
    int failures = 0;
    for (const std::string& rule : rules) {
        auto zone = parse_posix_tz(rule);
        ASSERT_TRUE(zone.has_value()) << rule;
        CLibraryTz::use(rule);
        for (const std::int64_t year : {in(1970, 2100), in(1970, 9999), in(2020, 2040)}) {
            const std::int64_t new_year = days_from_civil(year, 1, 1) * kSecondsPerDay;
            std::vector<std::int64_t> instants = {new_year + in(0, 365 * kSecondsPerDay),
                                                  new_year + in(-kWeek, kWeek),
                                                  new_year + in(-kWeek, kWeek), new_year - 1,
                                                  new_year};
            if (zone->daylight) {
                const PosixDaylightSaving& daylight = *zone->daylight;
                for (const std::int64_t change :
                     {posix_transition_seconds(daylight.start, year, zone->standard_offset),
                      posix_transition_seconds(daylight.end, year, daylight.offset)}) {
                    instants.insert(instants.end(), {change - 1, change});
                }
            }
            for (const std::int64_t at : instants) {
                if (at < 0 || at > kMaxInstantSecond) continue;
                const auto expected = CLibraryTz::offset_at(at);
                if (posix_offset_at(*zone, at) != expected) {
                    ADD_FAILURE() << rule << " at " << at << ": " << posix_offset_at(*zone, at)
                                  << ", the C library " << expected.value_or(-1);
                    if (++failures == 10) return;
                }
            }
        }
    }
}

}  // namespace
}  // namespace orvel::datetime::testing
