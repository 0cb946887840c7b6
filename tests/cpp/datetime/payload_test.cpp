#include "datetime/payload.h"

#include <gtest/gtest.h>

#include <vector>

#include "datetime/iso_text.h"
#include "datetime/span_text.h"

namespace orvel::datetime {
namespace {

using core::CellValue;

std::string payload(const CellValue& v) { return std::string(v.custom_data()); }

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
                      SpanTextCase{"-P19998Y", "-P19998Y"}, SpanTextCase{"1.5h", "PT1H30M"},
                      SpanTextCase{"02:03:04,5", "PT2H3M4.5S"},
                      SpanTextCase{"999:999:999", "PT999H999M999S"},
                      SpanTextCase{"1:60:0", "PT1H60M"},
                      SpanTextCase{"1d\t2h\n3m\f4s\r5ms", "P1DT2H3M4.005S"}));

class SpanRefusal : public ::testing::TestWithParam<std::string> {};

TEST_P(SpanRefusal, RejectsMalformedSpans) {
    EXPECT_FALSE(parse_span(GetParam()).has_value()) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Table, SpanRefusal,
                         ::testing::Values("", "-", "+", "5", "-5", "1M", "1D", "P", "PT", "P1DT",
                                           "P1.5D", "PT1M2H", "1h 2d", "1h 1h", "-1d ago", "P1Y1Y",
                                           "1.5d", "PT1.5H30M", "99999999999999999999999s",
                                           "PT631107417601S", "1d trailing", "1d agox", "1dago",
                                           "ago", "1.5h 30m", "02:03:04.", "1h 2:00:00", "1d abc",
                                           "P1Y2M3DT4H5M6.1234567891S"));

// Each unit's limit, a count of at most 64 digits, fractions down to microseconds; a failure
// names what it expected and the byte it found.
TEST(Payloads, SpanTextLimits) {
    auto read = [](const std::string& text) {
        auto span = parse_span(text);
        return span ? payload(pack_span(*span)) : library_message(span.error());
    };
    auto failed = [](const std::string& text, std::string_view fault) {
        return "failed to parse \"" + text + "\" as a duration: " + std::string(fault);
    };
    const std::string unit = "expected a unit label such as 'd', 'hours' or 'mins', but found ";
    const std::string digits65 = std::string(64, '0') + "1s";
    EXPECT_EQ(read("P19998Y"), "P19998Y");
    const std::string years = "parameter 'years' with value 19999 is not in the required range";
    EXPECT_EQ(read("P19999Y"), "out of range: " + failed("P19999Y", years + " of -19998..=19998"));
    EXPECT_EQ(read(std::string(63, '0') + "1s"), "PT1S");
    EXPECT_EQ(read(digits65), failed(digits65, unit + "\"1\""));
    EXPECT_EQ(read("1.5\xC2\xB5s"), "PT0.0000015S");
    EXPECT_EQ(read("1.5ns"), failed("1.5ns", "fractional nanoseconds are not supported"));
    EXPECT_EQ(read("5x"), failed("5x", unit + "\"x\""));
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
    // Each reader takes its own tag only.
    EXPECT_FALSE(unpack_datetime(CellValue::custom("jdate", "x")).has_value());
    EXPECT_TRUE(unpack_datetime(CellValue::custom("jdatetime", "x")).has_value());
    EXPECT_FALSE(unpack_time(CellValue::custom("jdate", "10:00:00")).has_value());
    EXPECT_TRUE(unpack_time(CellValue::custom("jtime", "10:00:00")).has_value());
    EXPECT_FALSE(unpack_zoned(CellValue::custom("jdate", "x")).has_value());
    EXPECT_TRUE(unpack_zoned(CellValue::custom("jzoned", "x")).has_value());
    EXPECT_FALSE(unpack_span(CellValue::custom("jdate", "P1D")).has_value());
    EXPECT_TRUE(unpack_span(CellValue::custom("jspan", "x")).has_value());
}

struct ReadCase {
    std::string reader;  // date, datetime, time or zoned
    std::string text;
    std::string expected;  // the canonical text of the value read, or the fault
};

template <class T, class Append>
std::string canonical(const Result<T>& read, Append append) {
    if (!read) return library_message(read.error());
    std::string out;
    append(out, *read);
    return out;
}

class IsoReading : public ::testing::TestWithParam<ReadCase> {};

// A failure names the text and what it was read as, then the fault ("out of range: " first).
std::string failure(const ReadCase& c) {
    std::string_view fault = c.expected;
    const bool range = fault.starts_with("out of range: ");
    if (range) fault.remove_prefix(14);
    return std::string(range ? "out of range: " : "") + "failed to parse \"" + c.text + "\" as " +
           (c.reader == "zoned" ? "zoned datetime" : c.reader) + ": " + std::string(fault);
}

TEST_P(IsoReading, GivesTheCanonicalTextOrNamesTheFault) {
    const auto& [reader, text, expected] = GetParam();
    const std::string got = reader == "date" ? canonical(parse_date(text), append_date)
                            : reader == "datetime"
                                ? canonical(parse_datetime(text), append_datetime)
                            : reader == "time" ? canonical(parse_time(text), append_time)
                                               : canonical(parse_zoned(text), append_zoned);
    EXPECT_TRUE(got == expected || got == failure(GetParam()))
        << reader << " " << text << ": " << got;
}

const ReadCase kReadCases[] = {
    {"datetime", "2024-06-15t10:30:00.25", "2024-06-15T10:30:00.25"},
    {"datetime", "2024-06-15 10:30:00", "2024-06-15T10:30:00"},
    {"datetime", "20240615T103000", "2024-06-15T10:30:00"},
    {"datetime", "2024-06-15T10:30:60", "2024-06-15T10:30:59"},
    {"datetime", "2024-06-15T10:30:00,5", "2024-06-15T10:30:00.5"},
    {"datetime", "2024-06-15", "2024-06-15T00:00:00"},
    {"datetime", "2024-06-15T12", "2024-06-15T12:00:00"},
    {"datetime", "2024-06-15T10:30:00-05:00[America/New_York]", "2024-06-15T10:30:00"},
    {"datetime", "-000044-03-15T00:00:00", "-000044-03-15T00:00:00"},
    {"datetime", "+009999-12-31T23:59", "9999-12-31T23:59:00"},
    {"datetime", "+010000-01-01",
     "out of range: parameter 'year' with value 10000 is not in the required range of "
     "-9999..=9999"},
    {"datetime", "-010000-12-31",
     "out of range: parameter 'year' with value -10000 is not in the required range of "
     "-9999..=9999"},
    {"datetime", "-000000-01-01T00:00",
     "year zero must be written without a sign or a positive sign"},
    {"datetime", "2024-06-15T10:30:00Z",
     "cannot parse civil datetime from string with a Zulu offset, parse as a timestamp instead"},
    {"datetime", "2024-06-15T24:00",
     "out of range: parameter 'hour' with value 24 is not in the required range of 0..=23"},
    {"datetime", "2024-06-15T10:30:00.1234567891",
     "expected one to nine digits of fraction, but found \"1\""},
    {"datetime", "2024-6-15T10:30", "expected two digit month, but found \"6\""},
    {"datetime", "2024-06-15T12:3", "expected two digit minute, but found \"3\""},
    {"datetime", "2024-06-15T12:30:", "expected end of input, but found \":\""},
    {"datetime", "2024-06-15T12:30:5", "expected two digit second, but found \"5\""},
    {"datetime", "2024-06-15 ", "expected end of input, but found \" \""},
    {"datetime", "2024-06-15 1:30", "expected two digit hour, but found \"1\""},
    {"time", "12:30:00.000000001", "12:30:00.000000001"},
    {"date", "0044-03-15", "0044-03-15"},
    {"date", "0000-01-01", "0000-01-01"},
    {"time", "12:30:00.123456789", "12:30:00.123456789"},
    {"time", "T0930", "09:30:00"},
    {"time", "t0930", "09:30:00"},
    {"time", "T12", "12:00:00"},
    {"time", "2024-06-15T08:15:00", "08:15:00"},
    {"time", "+002024-06-15T08:15", "08:15:00"},
    {"time", "2024-06-15", "successfully parsed a date, but no time component was found"},
    {"time", "9:30", "expected two digit hour, but found \"9\""},
    {"time", "25:00",
     "out of range: parameter 'hour' with value 25 is not in the required range of 0..=23"},
    {"date", "2024-06-15T23:00:00", "2024-06-15"},
    {"zoned", "2024-01-15T14:30:00Z[America/New_York]",
     "2024-01-15T09:30:00-05:00[America/New_York]"},
    {"zoned", "2024-06-15T12:00:00[+00:00]", "2024-06-15T12:00:00+00:00[UTC]"},
    {"zoned", "2024-06-15T12:00:00+05[+05:00]", "2024-06-15T12:00:00+05:00[+05:00]"},
    {"zoned", "2024-06-15T12:00:00+25:59[+25:59]", "2024-06-15T12:00:00+25:59[+25:59]"},
    {"zoned", "2024-06-15T12:00:00Z[Etc/Unknown]", "2024-06-15T12:00:00Z[Etc/Unknown]"},
    {"zoned", "2024-11-03T01:30:00-05:00[America/New_York]",
     "2024-11-03T01:30:00-05:00[America/New_York]"},
    {"zoned", "2024-11-03T01:30:00-04:00[America/New_York][u-ca=iso8601]",
     "2024-11-03T01:30:00-04:00[America/New_York]"},
    {"zoned", "2024-03-10T02:30:00[!America/New_York]",
     "2024-03-10T03:30:00-04:00[America/New_York]"},
    {"zoned", "1800-01-01T00:00:00-04:56[America/New_York]",
     "1800-01-01T00:00:00-04:56[America/New_York]"},
    {"zoned", "1800-01-01T00:00:00-04:56:02[America/New_York]",
     "1800-01-01T00:00:00-04:56[America/New_York]"},
    {"zoned", "1800-01-01T00:00:00-04:56:59[America/New_York]",
     "datetime 1800-01-01T00:00:00 could not resolve to a timestamp since 'reject' conflict "
     "resolution was chosen, and because datetime has offset -04:56:59, but the time zone "
     "America/New_York for the given datetime unambiguously has offset -04:56:02"},
    {"zoned", "-009999-01-02T01:59:59+00:00[UTC]", "-009999-01-02T01:59:59+00:00[UTC]"},
    {"zoned", "9999-12-30T22:00:00+00:00[UTC]", "9999-12-30T22:00:00+00:00[UTC]"},
    {"zoned", "9999-12-30T22:00:01+00:00[UTC]",
     "out of range: parameter 'unix_seconds' with value 253402207201 is not in the required range "
     "of -377705023201..=253402207200"},
    {"zoned", "9999-12-31T23:00:00[UTC]",
     "out of range: parameter 'unix_seconds' with value 253402297200 is not in the required range "
     "of -377705023201..=253402207200"},
    {"zoned", "2024-06-15T12:00:00+26:00[UTC]",
     "out of range: parameter 'offset-hours' with value 26 is not in the required range of 0..=25"},
    {"zoned", "2024-06-15T12:00:00+05:60[UTC]",
     "out of range: parameter 'offset-minutes' with value 60 is not in the required range of "
     "0..=59"},
    {"zoned", "2024-06-15T12:00:00+00:00:60[UTC]",
     "out of range: parameter 'offset-seconds' with value 60 is not in the required range of "
     "0..=59"},
    {"zoned", "2024-06-15T12:00:00+05:3[UTC]",
     "expected two digit minutes in UTC offset, but found \"3\""},
    {"zoned", "2024-06-15T12:00:00+05:30:5[UTC]",
     "expected two digit seconds in UTC offset, but found \"5\""},
    {"zoned", "2024-06-15T12:00:00+05:30:[UTC]", "expected end of input, but found \":\""},
    {"zoned", "2024-01-15T09:30:00-05:00",
     "failed to find time zone in square brackets, which is required for parsing a zoned instant"},
    {"zoned", "2024-01-15T09:30:00-04:00[America/New_York]",
     "datetime 2024-01-15T09:30:00 could not resolve to a timestamp since 'reject' conflict "
     "resolution was chosen, and because datetime has offset -04, but the time zone "
     "America/New_York for the given datetime unambiguously has offset -05"},
    {"zoned", "2024-03-10T02:30:00-05:00[America/New_York]",
     "datetime 2024-03-10T02:30:00 could not resolve to a timestamp since 'reject' conflict "
     "resolution was chosen, and because datetime has offset -05, but the time zone "
     "America/New_York for the given datetime falls in a gap between offsets -05 and -04"},
    {"zoned", "2024-11-03T01:30:00-06:00[America/New_York]",
     "datetime 2024-11-03T01:30:00 could not resolve to a timestamp since 'reject' conflict "
     "resolution was chosen, and because datetime has offset -06, but the time zone "
     "America/New_York for the given datetime falls in a fold between offsets -04 and -05"},
    {"zoned", "2024-01-15T09:30:00[Mars/Base]",
     "failed to find time zone `Mars/Base` in time zone database"},
    {"zoned", "2024-01-15T09:30:00[UTC][America/New_York]",
     "expected the time zone annotation to come first, but found \"A\""},
    {"zoned", "2024-01-15T09:30:00[UTC", "expected ']' to end annotation, but found \"U\""},
    {"zoned", "2024-01-15T09:30:00[+05:30:00]",
     "expected a UTC offset of hours and minutes in annotation, but found \"+\""},
    {"zoned", "2024-01-15T09:30:00[UTC][z=1][_a-b=x-1][k=a]", "2024-01-15T09:30:00+00:00[UTC]"},
    {"zoned", "2024-01-15T09:30:00[UTC][a.b=1]",
     "expected a valid annotation key=value, but found \"a\""},
    {"zoned", "2024-01-15T09:30:00[UTC][k=a.b]",
     "expected a valid annotation key=value, but found \"k\""},
    {"zoned", "2024-01-15T09:30:00[UTC][=x]",
     "expected a valid annotation key=value, but found \"=\""},
    {"zoned", "2024-01-15T09:30:00[UTC][k=]",
     "expected a valid annotation key=value, but found \"k\""},
};

INSTANTIATE_TEST_SUITE_P(Table, IsoReading, ::testing::ValuesIn(kReadCases));

// A zone text is an offset of hours and minutes, or a name; the zone describes itself.
TEST(Payloads, TimezoneTextsAreOffsetsOrNames) {
    auto describe = [](std::string_view text) {
        auto zone = parse_timezone(text);
        return zone ? zone->describe() : zone.error().message;
    };
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"+05", "+05"},       {"+0530", "+05:30"},  {"-05:30", "-05:30"},
        {"+00:00", "UTC"},    {"-0000", "UTC"},     {"Z", "UTC"},
        {"utc", "UTC"},       {"++5", "+05"},       {"+0099", "+01:39"},
        {"+25:59", "+25:59"}, {"-25:59", "-25:59"}, {"America/New_York", "America/New_York"},
        {"++9", "+09"},       {"++0", "UTC"},
    };
    for (const auto& [text, zone] : rows) EXPECT_EQ(describe(text), zone) << text;
    for (std::string text :
         {"+5:30", "+25:60", "+26:00", "z", "", "+05:3x", "+05-30", "+a0", "+0a", "+/0", "+0/"}) {
        EXPECT_EQ(describe(text), "failed to find time zone `" + text + "` in time zone database");
    }
}

}  // namespace
}  // namespace orvel::datetime
