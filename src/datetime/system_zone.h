// The system's time zone and clock.
#pragma once

#include <cstdint>
#include <string_view>

#include "datetime/instant.h"
#include "datetime/zone.h"

namespace orvel::datetime {

// From TZ: empty is UTC; a POSIX rule string is the database zone of that name when it has
// daylight saving and the database has one (EST5EDT), else a fixed offset, the one the rule puts
// in force at `at_unix_seconds`; otherwise a database name (after any ":" or "zoneinfo/") or a
// TZif file path. Without TZ, the /etc/localtime link or file. Else unknown.
TimeZone system_time_zone(std::int64_t at_unix_seconds);
// Resolves a TZ value (exposed for tests; `system_time_zone` reads the variable).
TimeZone zone_from_tz_value(std::string_view value, std::int64_t at_unix_seconds);

// The system clock, clamped into the supported instants.
Instant current_instant();

}  // namespace orvel::datetime
