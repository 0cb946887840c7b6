#include "datetime/zone.h"

#include "datetime/offset_text.h"
#include "datetime/tzif_zone.h"

namespace orvel::datetime {

std::optional<std::string_view> TimeZone::iana_name() const noexcept {
    if (kind_ == Kind::Utc) return std::string_view("UTC");
    if (kind_ == Kind::Tzif && !zone_->name.empty()) return std::string_view(zone_->name);
    return std::nullopt;
}

std::string TimeZone::describe() const {
    if (auto name = iana_name()) return std::string(*name);
    if (kind_ == Kind::Unknown) return "Etc/Unknown";
    std::string text;
    append_offset_display(text, kind_ == Kind::Fixed ? fixed_offset_ : offset_at(0));
    return text;
}

std::int32_t TimeZone::offset_at(std::int64_t unix_seconds) const {
    switch (kind_) {
        case Kind::Utc:
        case Kind::Unknown:
            return 0;
        case Kind::Fixed:
            return fixed_offset_;
        case Kind::Tzif:
            break;
    }
    return static_cast<std::int32_t>(zone_->zone.At(absl::FromUnixSeconds(unix_seconds)).offset);
}

OffsetInfo TimeZone::info_at(std::int64_t unix_seconds) const {
    OffsetInfo info;
    switch (kind_) {
        case Kind::Utc:
        case Kind::Unknown:
            info.abbreviation = "UTC";
            return info;
        case Kind::Fixed:
            info.offset = fixed_offset_;
            append_offset_display(info.abbreviation, fixed_offset_);
            return info;
        case Kind::Tzif:
            break;
    }
    const absl::TimeZone::CivilInfo civil = zone_->zone.At(absl::FromUnixSeconds(unix_seconds));
    info.offset = static_cast<std::int32_t>(civil.offset);
    info.dst = civil.is_dst;
    info.abbreviation = civil.zone_abbr;
    return info;
}

LocalOffsets TimeZone::offsets_for(const DateTime& local) const {
    LocalOffsets result;
    if (kind_ != Kind::Tzif) {
        result.before = result.after = kind_ == Kind::Fixed ? fixed_offset_ : 0;
        return result;
    }
    const absl::CivilSecond civil(local.date.year, local.date.month, local.date.day,
                                  local.time.hour, local.time.minute, local.time.second);
    const absl::TimeZone::TimeInfo info = zone_->zone.At(civil);
    const std::int64_t as_utc = civil_seconds(
        DateTime{local.date, Time{local.time.hour, local.time.minute, local.time.second, 0}});
    result.before = static_cast<std::int32_t>(as_utc - absl::ToUnixSeconds(info.pre));
    result.after = static_cast<std::int32_t>(as_utc - absl::ToUnixSeconds(info.post));
    switch (info.kind) {
        case absl::TimeZone::TimeInfo::UNIQUE:
            result.kind = LocalOffsets::Kind::Unique;
            break;
        case absl::TimeZone::TimeInfo::SKIPPED:
            result.kind = LocalOffsets::Kind::Gap;
            break;
        case absl::TimeZone::TimeInfo::REPEATED:
            result.kind = LocalOffsets::Kind::Fold;
            break;
    }
    return result;
}

}  // namespace orvel::datetime
