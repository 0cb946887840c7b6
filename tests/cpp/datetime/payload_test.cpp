#include "datetime/payload.h"

#include <gtest/gtest.h>

#include "datetime/iso_text.h"
#include "datetime/span_text.h"

namespace orvel::datetime {
namespace {

using core::CellValue;

std::string payload(const CellValue& v) {
    return std::string(v.custom_data());
}

TEST(Payloads, WritersFollowTheCanonicalTexts) {
    EXPECT_EQ(payload(pack_date(Date{-44, 3, 15})), "-000044-03-15");
    EXPECT_EQ(payload(pack_date(Date{44, 3, 15})), "0044-03-15");
    EXPECT_EQ(payload(pack_time(Time{12, 30, 0, 500'000'000})), "12:30:00.5");
    EXPECT_EQ(payload(pack_time(Time{12, 30, 0, 0})), "12:30:00");
    EXPECT_EQ(payload(pack_time(Time{12, 30, 0, 1})), "12:30:00.000000001");
    EXPECT_EQ(payload(pack_datetime(DateTime{{2024, 6, 15}, {9, 30, 0, 250'000'000}})),
              "2024-06-15T09:30:00.25");
    EXPECT_EQ(pack_date(Date{2024, 1, 1}).custom_tag(), "jdate");
    EXPECT_EQ(payload(pack_timezone_offset(19800)), "+05:30");
    EXPECT_EQ(payload(pack_timezone_offset(-12600)), "-03:30");
    EXPECT_EQ(payload(pack_timezone_offset(0)), "+00:00");
    EXPECT_EQ(payload(pack_timezone_offset(-30)), "-00:00");
    EXPECT_EQ(payload(pack_timezone_offset(93599)), "+25:59");
}

struct SpanTextCase {
    std::string input;
    std::string canonical;
};

class SpanReading : public ::testing::TestWithParam<SpanTextCase> {};

TEST_P(SpanReading, ReadsIsoAndFriendlyFormsIntoCanonicalPayloads) {
    auto span = parse_span(GetParam().input);
    ASSERT_TRUE(span.has_value()) << GetParam().input << ": " << span.error().message;
    EXPECT_EQ(payload(pack_span(*span)), GetParam().canonical);
}

// Canonical payloads read back whatever the units: round_trip_property_test.cpp.
INSTANTIATE_TEST_SUITE_P(
    Table, SpanReading,
    ::testing::Values(SpanTextCase{"1h 30m", "PT1H30M"}, SpanTextCase{"p1d", "P1D"},
                      SpanTextCase{"PT90M", "PT90M"}, SpanTextCase{"PT1.5H", "PT1H30M"},
                      SpanTextCase{"1 day 2 hours", "P1DT2H"}, SpanTextCase{"2h30m", "PT2H30M"},
                      SpanTextCase{"1500ms", "PT1.5S"}, SpanTextCase{"1 day ago", "-P1D"},
                      SpanTextCase{"-2h", "-PT2H"}, SpanTextCase{"1 year, 2 months", "P1Y2M"},
                      SpanTextCase{"5 mins 3 secs", "PT5M3S"}, SpanTextCase{"3w", "P3W"},
                      SpanTextCase{"1d 02:03:04.5", "P1DT2H3M4.5S"},
                      SpanTextCase{"10:00:00", "PT10H"}, SpanTextCase{"7\xC2\xB5s", "PT0.000007S"},
                      SpanTextCase{"+P1W", "P1W"}, SpanTextCase{"-PT0S", "PT0S"},
                      SpanTextCase{"PT631107417600S", "PT631107417600S"},
                      SpanTextCase{"999:999:999", "PT999H999M999S"},
                      SpanTextCase{"1:60:0", "PT1H60M"}, SpanTextCase{"1.5h", "PT1H30M"}));

class SpanRefusal : public ::testing::TestWithParam<std::string> {};

TEST_P(SpanRefusal, RejectsMalformedSpans) {
    EXPECT_FALSE(parse_span(GetParam()).has_value()) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Table, SpanRefusal,
                         ::testing::Values("", "-", "+", "5", "-5", "1M", "1D", "P", "PT", "P1DT",
                                           "P1.5D", "PT1M2H", "1h 2d", "1h 1h", "-1d ago", "P1Y1Y",
                                           "1.5d", "PT1.5H30M", "99999999999999999999999s",
                                           "PT631107417601S", "1d trailing",
                                           "P1Y2M3DT4H5M6.1234567891S", "1h 2:00:00",
                                           "1.5h 30m", "1d abc", "1dago"));

TEST(Payloads, SpanUnitsOverTheirLimitAreRangeErrors) {
    auto over = parse_span("P19999Y");
    ASSERT_FALSE(over.has_value());
    EXPECT_TRUE(over.error().is_range);
    EXPECT_EQ(library_message(over.error()).substr(0, 14), "out of range: ");
    EXPECT_TRUE(parse_span("P19998Y").has_value());
}

TEST(Payloads, FriendlyDisplayListsUnitsAsStored) {
    auto show = [](std::string_view text) {
        std::string out;
        append_span_friendly(out, *parse_span(text));
        return out;
    };
    EXPECT_EQ(show("P1Y2M3DT4H5M6.5S"), "1y 2mo 3d 4h 5m 6s 500ms");
    EXPECT_EQ(show("-P1D"), "1d ago");
    EXPECT_EQ(show("PT0S"), "0s");
    EXPECT_EQ(show("-PT2H"), "2h ago");
    EXPECT_EQ(show("1500ms"), "1500ms");
    EXPECT_EQ(show("PT1.5S"), "1s 500ms");
    EXPECT_EQ(show("PT0.000001S"), "1\xC2\xB5s");
}

TEST(Payloads, ReadersTellTagMismatchFromUnreadablePayload) {
    EXPECT_FALSE(unpack_date(CellValue::custom("jdate ", "2024-01-01")).has_value());
    EXPECT_FALSE(unpack_date(CellValue::custom("JDATE", "2024-01-01")).has_value());
    EXPECT_FALSE(unpack_date(CellValue::text("2024-01-01")).has_value());
    auto bad = unpack_date(CellValue::custom("jdate", "2024-02-30"));
    ASSERT_TRUE(bad.has_value());
    ASSERT_FALSE(bad->has_value());
    EXPECT_TRUE(bad->error().is_range);
    auto good = unpack_date(CellValue::custom("jdate", "2024-02-29"));
    ASSERT_TRUE(good && good->has_value());
    EXPECT_EQ(**good, (Date{2024, 2, 29}));
}

struct CivilCase {
    std::string text;
    bool ok;
    std::string canonical;
};

class DateTimeReading : public ::testing::TestWithParam<CivilCase> {};

TEST_P(DateTimeReading, AcceptsTheIsoForms) {
    const auto& c = GetParam();
    auto dt = parse_datetime(c.text);
    ASSERT_EQ(dt.has_value(), c.ok) << c.text << (dt ? "" : ": " + dt.error().message);
    if (!c.ok) return;
    std::string out;
    append_datetime(out, *dt);
    EXPECT_EQ(out, c.canonical);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DateTimeReading,
    ::testing::Values(CivilCase{"2024-06-15T10:30", true, "2024-06-15T10:30:00"},
                      CivilCase{"2024-06-15t10:30:00.25", true, "2024-06-15T10:30:00.25"},
                      CivilCase{"2024-06-15 10:30:00", true, "2024-06-15T10:30:00"},
                      CivilCase{"20240615T103000", true, "2024-06-15T10:30:00"},
                      CivilCase{"2024-06-15T10:30:60", true, "2024-06-15T10:30:59"},
                      CivilCase{"2024-06-15T10:30:00,5", true, "2024-06-15T10:30:00.5"},
                      CivilCase{"2024-06-15", true, "2024-06-15T00:00:00"},
                      CivilCase{"2024-06-15T10:30:00-05:00[America/New_York]", true,
                                "2024-06-15T10:30:00"},
                      CivilCase{"-000044-03-15T00:00:00", true, "-000044-03-15T00:00:00"},
                      CivilCase{"2024-06-15T10:30:00Z", false, ""},
                      CivilCase{"2024-06-15T24:00", false, ""},
                      CivilCase{"-000000-01-01T00:00", false, ""},
                      CivilCase{"2024-06-15T10:30:00.1234567891", false, ""},
                      CivilCase{"2024-6-15T10:30", false, ""}));

TEST(Payloads, TimeReaderTakesTimesAndTheTimeOfDateTimes) {
    EXPECT_EQ(*parse_time("09:30"), (Time{9, 30, 0, 0}));
    EXPECT_EQ(*parse_time("12:30:00.123456789"), (Time{12, 30, 0, 123'456'789}));
    EXPECT_EQ(*parse_time("T0930"), (Time{9, 30, 0, 0}));
    EXPECT_EQ(*parse_time("2024-06-15T08:15:00"), (Time{8, 15, 0, 0}));
    EXPECT_FALSE(parse_time("2024-06-15").has_value());
    EXPECT_FALSE(parse_time("9:30").has_value());
    EXPECT_FALSE(parse_time("25:00").has_value());
    EXPECT_EQ(*parse_date("2024-06-15T23:00:00"), (Date{2024, 6, 15}));
}

TEST(Payloads, TimezoneTexts) {
    struct Case {
        std::string text;
        TimeZone::Kind kind;
        std::int32_t offset;
    };
    for (const Case& c :
         {Case{"+05", TimeZone::Kind::Fixed, 18000}, Case{"+0530", TimeZone::Kind::Fixed, 19800},
          Case{"-05:30", TimeZone::Kind::Fixed, -19800}, Case{"+00:00", TimeZone::Kind::Utc, 0},
          Case{"-0000", TimeZone::Kind::Utc, 0}, Case{"Z", TimeZone::Kind::Utc, 0},
          Case{"UTC", TimeZone::Kind::Utc, 0}, Case{"utc", TimeZone::Kind::Utc, 0},
          Case{"++5", TimeZone::Kind::Fixed, 18000}, Case{"+0099", TimeZone::Kind::Fixed, 5940},
          Case{"+25:59", TimeZone::Kind::Fixed, 93540},
          Case{"America/New_York", TimeZone::Kind::Tzif, 0}}) {
        auto tz = parse_timezone(c.text);
        ASSERT_TRUE(tz.has_value()) << c.text << ": " << tz.error().message;
        EXPECT_EQ(tz->kind(), c.kind) << c.text;
        if (c.kind == TimeZone::Kind::Fixed) {
            EXPECT_EQ(tz->fixed_offset(), c.offset) << c.text;
        }
    }
    EXPECT_EQ(parse_timezone("+5:30").error().message,
              "failed to find time zone `+5:30` in time zone database");
    EXPECT_FALSE(parse_timezone("+26:00").has_value());
    EXPECT_FALSE(parse_timezone("z").has_value());
    EXPECT_FALSE(parse_timezone("").has_value());
}

}  // namespace
}  // namespace orvel::datetime
