// Time zones by name. Names come from formula text and payloads, so they are never used as
// paths: each is validated and looked up in an index of the zoneinfo directory built once.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "datetime/error.h"
#include "datetime/zone.h"

namespace orvel::datetime {

// Bounds of the directory walk and of the names it accepts.
inline constexpr std::size_t kMaxZoneNameBytes = 255;
inline constexpr int kMaxZoneDirectoryDepth = 8;
inline constexpr std::size_t kMaxZoneIndexEntries = 10'000;
inline constexpr long kMaxTzifFileBytes = 1024 * 1024;

// "UTC" and "Etc/Unknown" in any ASCII case resolve without the database; every other name
// must be in the index (ASCII case ignored; the zone keeps the index's spelling) and be a TZif
// file. Failures carry the database's "failed to find time zone" messages.
Result<TimeZone> find_zone(std::string_view name);

// A TZif file named by trusted configuration (the TZ variable, /etc/localtime). The zone has no
// name. None when the path is not a readable regular TZif file.
std::optional<TimeZone> load_zone_file(const std::string& path);

}  // namespace orvel::datetime
