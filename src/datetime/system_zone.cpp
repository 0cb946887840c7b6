#include "datetime/system_zone.h"

#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "datetime/offset_text.h"
#include "datetime/scan.h"
#include "datetime/zone_db.h"

namespace orvel::datetime {

namespace {

bool scan_posix_name(Cursor& c) {
    if (c.eat('<')) {
        std::size_t count = 0;
        while (is_ascii_alpha(c.peek()) || is_ascii_digit(c.peek()) || c.peek() == '+' ||
               c.peek() == '-') {
            ++c.pos;
            ++count;
        }
        return count >= 3 && c.eat('>');
    }
    std::size_t count = 0;
    while (is_ascii_alpha(c.peek())) {
        ++c.pos;
        ++count;
    }
    return count >= 3;
}

// [+-]hh[:mm[:ss]] as seconds west of UTC (the POSIX sign).
std::optional<std::int32_t> scan_posix_offset(Cursor& c, int max_hours) {
    int sign = 1;
    if (c.peek() == '+' || c.peek() == '-') sign = c.text[c.pos++] == '-' ? -1 : 1;
    bool overflow = false;
    auto hours = c.digits(max_hours > 99 ? 3 : 2, overflow);
    if (!hours || *hours > max_hours) return std::nullopt;
    std::int64_t total = *hours * 3600;
    for (int part = 0; part < 2 && c.peek() == ':'; ++part) {
        ++c.pos;
        auto value = c.fixed_digits(2);
        if (!value || *value > 59) return std::nullopt;
        total += *value * (part == 0 ? 60 : 1);
    }
    return static_cast<std::int32_t>(sign * total);
}

bool scan_posix_rule_date(Cursor& c) {
    bool overflow = false;
    if (c.eat('M')) {
        auto month = c.digits(2, overflow);
        if (!month || *month < 1 || *month > 12 || !c.eat('.')) return false;
        auto week = c.digits(1, overflow);
        if (!week || *week < 1 || *week > 5 || !c.eat('.')) return false;
        auto day = c.digits(1, overflow);
        if (!day || *day > 6) return false;
    } else {
        const bool julian = c.eat('J');
        auto day = c.digits(3, overflow);
        if (!day || *day > 365 || (julian && *day < 1)) return false;
    }
    if (c.eat('/')) return scan_posix_offset(c, 167).has_value();
    return true;
}

}  // namespace

std::optional<PosixZone> parse_posix_tz(std::string_view text) {
    Cursor c{text, 0};
    if (!scan_posix_name(c)) return std::nullopt;
    auto standard = scan_posix_offset(c, 24);
    if (!standard) return std::nullopt;
    PosixZone zone{-*standard, false};
    if (c.done()) return zone;
    if (!scan_posix_name(c)) return std::nullopt;
    zone.has_dst = true;
    if (c.peek() != ',' && !c.done() && !scan_posix_offset(c, 24)) return std::nullopt;
    if (c.eat(',')) {
        if (!scan_posix_rule_date(c) || !c.eat(',') || !scan_posix_rule_date(c))
            return std::nullopt;
    }
    if (!c.done()) return std::nullopt;
    return zone;
}

TimeZone zone_from_tz_value(std::string_view value) {
    if (value.empty()) return TimeZone::utc();
    if (value.front() != ':') {
        if (auto posix = parse_posix_tz(value)) {
            // Daylight-saving rules are not evaluated: such a zone is unknown rather than wrong,
            // unless the database has a zone of that name (EST5EDT), whose file has the rules.
            if (posix->has_dst) {
                if (auto zone = find_zone(value)) return *zone;
                return TimeZone::unknown();
            }
            if (posix->standard_offset == 0) return TimeZone::utc();
            if (posix->standard_offset >= -kMaxOffsetSeconds &&
                posix->standard_offset <= kMaxOffsetSeconds) {
                return TimeZone::fixed(posix->standard_offset);
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

TimeZone system_time_zone() {
    if (const char* tz = std::getenv("TZ")) return zone_from_tz_value(tz);
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
