#include "datetime/system_zone.h"

#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "datetime/offset_text.h"
#include "datetime/posix_tz.h"
#include "datetime/zone_db.h"

namespace orvel::datetime {

TimeZone zone_from_tz_value(std::string_view value, std::int64_t at_unix_seconds) {
    if (value.empty()) return TimeZone::utc();
    if (value.front() != ':') {
        if (auto posix = parse_posix_tz(value)) {
            // A database zone of that name (EST5EDT) has the history behind the rule.
            if (posix->daylight) {
                if (auto zone = find_zone(value)) return *zone;
            }
            // The rule's zone has no name: it is written as the offset in force now.
            const std::int32_t offset = posix_offset_at(*posix, at_unix_seconds);
            if (offset == 0) return TimeZone::utc();
            if (offset >= -kMaxOffsetSeconds && offset <= kMaxOffsetSeconds) {
                return TimeZone::fixed(offset);
            }
            return TimeZone::unknown();
        }
    } else {
        value.remove_prefix(1);
    }
    constexpr std::string_view kMarker = "zoneinfo/";
    if (auto at = value.find(kMarker); at != std::string_view::npos) {
        if (auto zone = find_zone(value.substr(at + kMarker.size()))) return *zone;
    } else if (auto zone = find_zone(value)) {
        return *zone;
    }
    if (!value.empty() && value.front() == '/') {
        if (auto zone = load_zone_file(std::string(value))) return *zone;
    }
    return TimeZone::unknown();
}

TimeZone system_time_zone(std::int64_t at_unix_seconds) {
    if (const char* tz = std::getenv("TZ")) return zone_from_tz_value(tz, at_unix_seconds);
    constexpr const char* kLocaltime = "/etc/localtime";
    char target[4096];
    const ssize_t length = ::readlink(kLocaltime, target, sizeof target);
    if (length > 0 && static_cast<std::size_t>(length) < sizeof target) {
        const std::string_view link(target, static_cast<std::size_t>(length));
        constexpr std::string_view kMarker = "zoneinfo/";
        if (auto at = link.rfind(kMarker); at != std::string_view::npos) {
            if (auto zone = find_zone(link.substr(at + kMarker.size()))) return *zone;
        }
    }
    if (auto zone = load_zone_file(kLocaltime)) return *zone;
    return TimeZone::unknown();
}

Instant current_instant() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::int64_t seconds = now.tv_sec;
    if (seconds < kMinInstantSecond) seconds = kMinInstantSecond;
    if (seconds > kMaxInstantSecond) seconds = kMaxInstantSecond;
    return Instant{seconds, static_cast<std::int32_t>(now.tv_nsec)};
}

}  // namespace orvel::datetime
