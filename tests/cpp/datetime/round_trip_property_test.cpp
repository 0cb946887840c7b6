// Random values survive their payloads and a format/parse round trip; every date and its
// canonical text: civil_test.cpp and payload_test.cpp.
#include <gtest/gtest.h>

#include <random>

#include "datetime/iso_text.h"
#include "datetime/payload.h"
#include "datetime/span_text.h"
#include "datetime/strftime.h"
#include "datetime/strptime.h"
#include "datetime/zone_db.h"

namespace orvel::datetime {
namespace {

constexpr int kRounds = 20000;

std::int64_t uniform(std::mt19937_64& rng, std::int64_t low, std::int64_t high) {
    return std::uniform_int_distribution<std::int64_t>(low, high)(rng);
}

Date random_date(std::mt19937_64& rng) {
    return civil_from_days(uniform(rng, kMinEpochDay, kMaxEpochDay));
}

Time random_time(std::mt19937_64& rng) {
    const std::int64_t nanos = uniform(rng, 0, 3) == 0 ? uniform(rng, 0, kNanosPerDay - 1)
                                                       : uniform(rng, 0, 86399) * kNanosPerSecond;
    return time_from_nanos(nanos);
}

TEST(RoundTrips, FormattedDateTimesParseBackByTheSameFormat) {
    std::mt19937_64 rng(11);
    // Unpadded numbers (`-` with a width) read back as wide as they were written.
    constexpr std::string_view kFormats[] = {
        "%Y-%m-%dT%H:%M:%S%.f", "%d/%m/%Y %I:%M:%S %p %N", "%A %B %e %Y %T%.f",
        "%G-W%V-%u %H:%M:%S%.f", "%Y %j %k:%M:%S%.f",     "%-6Y%m%d%H%M%S%.f"};
    for (int i = 0; i < kRounds; ++i) {
        DateTime dt{random_date(rng), random_time(rng)};
        // Four-digit years keep every directive's width fixed.
        if (dt.date.year < 1000)
            dt.date.year = static_cast<std::int32_t>(1000 + (dt.date.year % 9000 + 9000) % 9000);
        if (dt.date.month == 2 && dt.date.day == 29 && !is_leap_year(dt.date.year))
            dt.date.day = 28;
        const std::string_view format = kFormats[static_cast<std::size_t>(i) % std::size(kFormats)];
        std::string text;
        ASSERT_TRUE(format_strftime(text, format, FormatFields::of(dt)).has_value());
        auto fields = parse_strptime(text, format);
        ASSERT_TRUE(fields.has_value())
            << text << " / " << format << ": " << fields.error().message;
        auto back = fields_to_datetime(*fields);
        ASSERT_TRUE(back.has_value()) << text << ": " << back.error().message;
        ASSERT_EQ(*back, dt) << text << " / " << format;
    }
}

TEST(RoundTrips, SpansSurviveTheirPayloads) {
    std::mt19937_64 rng(13);
    for (int i = 0; i < kRounds; ++i) {
        Span span;
        const bool negative = uniform(rng, 0, 1) == 1;
        for (std::size_t u = 0; u < kUnitCount; ++u) {
            if (uniform(rng, 0, 2) != 0) continue;
            const Unit unit = static_cast<Unit>(u);
            // Sub-second units stay small enough that their sum fits the seconds limit.
            const std::int64_t limit = unit < Unit::Second ? 1'000'000'000 : unit_limit(unit);
            const std::int64_t amount = uniform(rng, 0, limit);
            ASSERT_TRUE(span.set(unit, negative ? -amount : amount).has_value());
        }
        std::string text;
        append_span_iso(text, span);
        auto back = parse_span(text);
        ASSERT_TRUE(back.has_value()) << text << ": " << back.error().message;
        std::string again;
        append_span_iso(again, *back);
        ASSERT_EQ(again, text);
        ASSERT_EQ(back->clock_nanos(), span.clock_nanos()) << text;
        for (Unit unit :
             {Unit::Year, Unit::Month, Unit::Week, Unit::Day, Unit::Hour, Unit::Minute}) {
            ASSERT_EQ(back->get(unit), span.get(unit)) << text;
        }
        std::string friendly;
        append_span_friendly(friendly, *back);
        auto from_friendly = parse_span(friendly);
        ASSERT_TRUE(from_friendly.has_value()) << friendly;
        ASSERT_EQ(*from_friendly, *back) << friendly;
    }
}

TEST(RoundTrips, ZonedValuesKeepTheirInstantAndZone) {
    std::mt19937_64 rng(17);
    constexpr std::string_view kZones[] = {
        "America/New_York", "Europe/Paris",      "Asia/Kolkata", "Australia/Lord_Howe",
        "Pacific/Chatham",  "America/Sao_Paulo", "UTC",          "Africa/Monrovia"};
    for (int i = 0; i < kRounds; ++i) {
        const TimeZone zone = *find_zone(kZones[static_cast<std::size_t>(i) % std::size(kZones)]);
        // Mostly the last few centuries, where the zones have their transitions.
        const std::int64_t seconds = uniform(rng, 0, 4) == 0
                                         ? uniform(rng, kMinInstantSecond, kMaxInstantSecond)
                                         : uniform(rng, -6'000'000'000, 4'000'000'000);
        auto zoned = zoned_at(
            Instant{seconds, static_cast<std::int32_t>(uniform(rng, 0, 999'999'999))}, zone);
        ASSERT_TRUE(zoned.has_value());
        const core::CellValue packed = pack_zoned(*zoned);
        auto back = parse_zoned(packed.custom_data());
        ASSERT_TRUE(back.has_value()) << packed.custom_data() << ": " << back.error().message;
        ASSERT_EQ(back->instant, zoned->instant) << packed.custom_data();
        ASSERT_EQ(back->zone.iana_name(), zoned->zone.iana_name());
    }
}

}  // namespace
}  // namespace orvel::datetime
