// Time zones: UTC, the unknown zone, fixed offsets and zones read from TZif files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "datetime/civil.h"

namespace orvel::datetime {

struct TzifZone;  // owned by the zone database for the life of the process

// What a local date-time is in a zone: one offset, or two around a gap or a fold. For a gap
// `before` is the offset in force before the gap; for a fold `before` gives the earlier instant.
struct LocalOffsets {
    enum class Kind : std::uint8_t { Unique, Gap, Fold };
    Kind kind = Kind::Unique;
    std::int32_t before = 0;  // the only offset when Unique
    std::int32_t after = 0;
};

struct OffsetInfo {
    std::int32_t offset = 0;
    bool dst = false;
    std::string abbreviation;
};

class TimeZone {
public:
    enum class Kind : std::uint8_t { Utc, Unknown, Fixed, Tzif };

    TimeZone() noexcept = default;  // UTC
    static TimeZone utc() noexcept { return TimeZone(); }
    static TimeZone unknown() noexcept { return TimeZone(Kind::Unknown, 0, nullptr); }
    // `seconds` within +-kMaxOffsetSeconds.
    static TimeZone fixed(std::int32_t seconds) noexcept {
        return TimeZone(Kind::Fixed, seconds, nullptr);
    }
    static TimeZone tzif(const TzifZone* zone) noexcept { return TimeZone(Kind::Tzif, 0, zone); }

    Kind kind() const noexcept { return kind_; }
    std::int32_t fixed_offset() const noexcept { return fixed_offset_; }
    // "UTC" for UTC, the database name of a named TZif zone; none for the others.
    std::optional<std::string_view> iana_name() const noexcept;
    // The name used in messages: the IANA name, "Etc/Unknown", or the offset display.
    std::string describe() const;

    std::int32_t offset_at(std::int64_t unix_seconds) const;
    OffsetInfo info_at(std::int64_t unix_seconds) const;
    LocalOffsets offsets_for(const DateTime& local) const;

private:
    TimeZone(Kind kind, std::int32_t offset, const TzifZone* zone) noexcept
        : kind_(kind), fixed_offset_(offset), zone_(zone) {}

    Kind kind_ = Kind::Utc;
    std::int32_t fixed_offset_ = 0;
    const TzifZone* zone_ = nullptr;
};

}  // namespace orvel::datetime
