// POSIX TZ rule strings ("EST5EDT,M3.2.0,M11.1.0"): reading them and finding the offset a rule
// puts in force at an instant.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvel::datetime {

// The bound on a rule date's time of day (hours either side of local midnight).
inline constexpr int kMaxPosixRuleTimeHours = 167;
inline constexpr int kMaxPosixOffsetHours = 24;

// A yearly date on which daylight saving starts or ends, and the local time of the change.
struct PosixRuleDate {
    enum class Kind : std::uint8_t {
        JulianDay,    // Jn: 1..365, 29 February never counted
        ZeroBasedDay, // n: 0..365, 29 February counted
        MonthWeekDay  // Mm.w.d: the w-th weekday d (0 Sunday) of month m, week 5 the last
    };
    Kind kind = Kind::MonthWeekDay;
    std::int32_t day = 0;
    std::int32_t month = 0;
    std::int32_t week = 0;
    // Seconds after local midnight (may be negative or run past the day), in the local time in
    // force before the change.
    std::int32_t time = 2 * 3600;
};

struct PosixDaylightSaving {
    std::int32_t offset;  // seconds east of UTC
    PosixRuleDate start;
    PosixRuleDate end;
};

// Offsets are seconds east of UTC (the string writes them west: EST5 is -18000). A daylight
// part without dates takes the United States rule (M3.2.0,M11.1.0), as the C library does.
struct PosixZone {
    std::int32_t standard_offset;
    std::optional<PosixDaylightSaving> daylight;
};

// None when the text is not a whole POSIX rule string.
std::optional<PosixZone> parse_posix_tz(std::string_view text);

// The instant (Unix seconds) at which `date` falls in `year`, the change happening at a local
// clock that runs at `offset_before`.
std::int64_t posix_transition_seconds(const PosixRuleDate& date, std::int64_t year,
                                      std::int32_t offset_before) noexcept;

// The offset in force at the instant, the rule read within the instant's UTC year: daylight
// saving from that year's start to its end, or, when the start comes after the end, outside
// [end, start). Instants outside the supported range are read at its ends.
std::int32_t posix_offset_at(const PosixZone& zone, std::int64_t unix_seconds) noexcept;

}  // namespace orvel::datetime
