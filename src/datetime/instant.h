// Instants and zoned date-times.
#pragma once

#include <cstdint>
#include <string>

#include "datetime/civil.h"
#include "datetime/error.h"
#include "datetime/zone.h"

namespace orvel::datetime {

// The supported instants: every one has a civil date-time within years -9999..9999 under any
// offset up to 25:59:59 (-9999-01-02T01:59:59Z .. 9999-12-30T22:00:00.999999999Z).
inline constexpr std::int64_t kMinInstantSecond = -377'705'023'201;
inline constexpr std::int64_t kMaxInstantSecond = 253'402'207'200;

// Seconds since 1970-01-01T00:00:00Z and a nanosecond part 0..999999999 (the seconds are
// floored, so -0.5 s is {-1, 500000000}).
struct Instant {
    std::int64_t seconds = 0;
    std::int32_t nanos = 0;

    __int128 total_nanos() const noexcept {
        return static_cast<__int128>(seconds) * kNanosPerSecond + nanos;
    }
    // Whole seconds with the fraction dropped toward zero.
    std::int64_t seconds_toward_zero() const noexcept {
        return seconds < 0 && nanos > 0 ? seconds + 1 : seconds;
    }
    friend auto operator<=>(const Instant&, const Instant&) = default;
};

Result<Instant> instant_from_nanos(__int128 nanos);

struct Zoned {
    Instant instant;
    TimeZone zone;
    std::int32_t offset = 0;  // in force at the instant
    DateTime local;           // the civil date-time at that offset
};

enum class Disambiguation : std::uint8_t { Compatible, Earlier, Later, Reject };

// The instant in the zone; range error outside the supported instants.
Result<Zoned> zoned_at(Instant instant, const TimeZone& zone);
// The local date-time placed in the zone. With Reject, a gap or fold is an error whose message
// describes it (see ambiguity_description).
Result<Zoned> zoned_from_local(const DateTime& local, const TimeZone& zone,
                               Disambiguation disambiguation);
// The local date-time placed with a given offset (the offset must lie within the limits).
Result<Zoned> zoned_with_offset(const DateTime& local, std::int32_t offset, const TimeZone& zone);
// For a gap or fold: "error converting datetime ... falls into a gap between offsets ..."
std::string ambiguity_description(const DateTime& local, const TimeZone& zone,
                                  const LocalOffsets& offsets);

}  // namespace orvel::datetime
