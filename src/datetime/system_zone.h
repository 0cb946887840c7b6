// The system's time zone and clock.
#pragma once

#include <optional>
#include <string_view>

#include "datetime/instant.h"
#include "datetime/zone.h"

namespace orvel::datetime {

// From TZ: empty is UTC; a POSIX rule string is a fixed offset without daylight saving, and with
// it the database zone of that name (EST5EDT) or else the unknown zone (rules are not evaluated);
// otherwise a database name (after any ":" or "zoneinfo/") or a TZif file path. Without TZ, the
// /etc/localtime link or file. Else unknown.
TimeZone system_time_zone();
// Resolves a TZ value (exposed for tests; `system_time_zone` reads the variable).
TimeZone zone_from_tz_value(std::string_view value);

// The POSIX TZ rule string's standard offset (seconds east of UTC) and whether it names a
// daylight-saving part; none when the text is not such a string.
struct PosixZone {
    std::int32_t standard_offset;
    bool has_dst;
};
std::optional<PosixZone> parse_posix_tz(std::string_view text);

// The system clock, clamped into the supported instants.
Instant current_instant();

}  // namespace orvel::datetime
