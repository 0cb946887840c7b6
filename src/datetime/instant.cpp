#include "datetime/instant.h"

#include "datetime/iso_text.h"
#include "datetime/offset_text.h"

namespace orvel::datetime {

Result<Instant> instant_from_nanos(__int128 nanos) {
    __int128 seconds = nanos / kNanosPerSecond;
    __int128 rest = nanos % kNanosPerSecond;
    if (rest < 0) {
        rest += kNanosPerSecond;
        --seconds;
    }
    if (seconds < kMinInstantSecond || seconds > kMaxInstantSecond) {
        return unexpected(
            Error::range_wide("unix_seconds", seconds, kMinInstantSecond, kMaxInstantSecond));
    }
    return Instant{static_cast<std::int64_t>(seconds), static_cast<std::int32_t>(rest)};
}

Result<Zoned> zoned_at(Instant instant, const TimeZone& zone) {
    if (instant.seconds < kMinInstantSecond || instant.seconds > kMaxInstantSecond) {
        return unexpected(
            Error::range("unix_seconds", instant.seconds, kMinInstantSecond, kMaxInstantSecond));
    }
    Zoned z;
    z.instant = instant;
    z.zone = zone;
    z.offset = zone.offset_at(instant.seconds);
    const std::int64_t local_seconds = instant.seconds + z.offset;
    std::int64_t days = local_seconds / kSecondsPerDay;
    std::int64_t second_of_day = local_seconds % kSecondsPerDay;
    if (second_of_day < 0) {
        second_of_day += kSecondsPerDay;
        --days;
    }
    z.local.date = civil_from_days(days);
    z.local.time = time_from_nanos(second_of_day * kNanosPerSecond + instant.nanos);
    return z;
}

Result<Zoned> zoned_with_offset(const DateTime& local, std::int32_t offset, const TimeZone& zone) {
    auto instant =
        instant_from_nanos(civil_nanos(local) - static_cast<__int128>(offset) * kNanosPerSecond);
    if (!instant) return unexpected(std::move(instant).error());
    return zoned_at(*instant, zone);
}

std::string ambiguity_description(const DateTime& local, const TimeZone& zone,
                                  const LocalOffsets& offsets) {
    std::string text = "error converting datetime ";
    append_datetime(text, local);
    text += " to instant in time zone ";
    text += zone.describe();
    text += ": datetime is ambiguous since it falls into a ";
    text += offsets.kind == LocalOffsets::Kind::Gap ? "gap" : "fold";
    text += " between offsets ";
    append_offset_display(text, offsets.before);
    text += " and ";
    append_offset_display(text, offsets.after);
    return text;
}

Result<Zoned> zoned_from_local(const DateTime& local, const TimeZone& zone,
                               Disambiguation disambiguation) {
    const LocalOffsets offsets = zone.offsets_for(local);
    std::int32_t offset = offsets.before;
    if (offsets.kind != LocalOffsets::Kind::Unique) {
        const bool gap = offsets.kind == LocalOffsets::Kind::Gap;
        switch (disambiguation) {
            case Disambiguation::Compatible:
                offset = offsets.before;
                break;
            case Disambiguation::Earlier:
                offset = gap ? offsets.after : offsets.before;
                break;
            case Disambiguation::Later:
                offset = gap ? offsets.before : offsets.after;
                break;
            case Disambiguation::Reject:
                return unexpected(Error::plain(ambiguity_description(local, zone, offsets)));
        }
    }
    return zoned_with_offset(local, offset, zone);
}

}  // namespace orvel::datetime
