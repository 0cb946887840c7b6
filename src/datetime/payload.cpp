#include "datetime/payload.h"

#include "datetime/iso_text.h"
#include "datetime/offset_text.h"
#include "datetime/span_text.h"
#include "datetime/zone_db.h"

namespace orvel::datetime {

core::CellValue pack_date(Date date) {
    std::string text;
    append_date(text, date);
    return core::CellValue::custom(kDateTag, text);
}

core::CellValue pack_time(Time time) {
    std::string text;
    append_time(text, time);
    return core::CellValue::custom(kTimeTag, text);
}

core::CellValue pack_datetime(const DateTime& dt) {
    std::string text;
    text.reserve(32);
    append_datetime(text, dt);
    return core::CellValue::custom(kDateTimeTag, text);
}

core::CellValue pack_zoned(const Zoned& zoned) {
    std::string text;
    text.reserve(64);
    append_zoned(text, zoned);
    return core::CellValue::custom(kZonedTag, text);
}

core::CellValue pack_span(const Span& span) {
    std::string text;
    append_span_iso(text, span);
    return core::CellValue::custom(kSpanTag, text);
}

core::CellValue pack_timezone_iana(std::string_view name) {
    return core::CellValue::custom(kTimeZoneTag, name);
}

core::CellValue pack_timezone_offset(std::int32_t seconds) {
    std::string text;
    append_offset_truncated(text, seconds);
    return core::CellValue::custom(kTimeZoneTag, text);
}

std::optional<Result<Date>> unpack_date(const core::CellValue& value) {
    if (!has_tag(value, kDateTag)) return std::nullopt;
    return parse_date(value.custom_data());
}

std::optional<Result<Time>> unpack_time(const core::CellValue& value) {
    if (!has_tag(value, kTimeTag)) return std::nullopt;
    return parse_time(value.custom_data());
}

std::optional<Result<DateTime>> unpack_datetime(const core::CellValue& value) {
    if (!has_tag(value, kDateTimeTag)) return std::nullopt;
    return parse_datetime(value.custom_data());
}

std::optional<Result<Zoned>> unpack_zoned(const core::CellValue& value) {
    if (!has_tag(value, kZonedTag)) return std::nullopt;
    return parse_zoned(value.custom_data());
}

std::optional<Result<Span>> unpack_span(const core::CellValue& value) {
    if (!has_tag(value, kSpanTag)) return std::nullopt;
    return parse_span(value.custom_data());
}

namespace {

// Two digits, or "+" and one digit.
std::optional<std::int32_t> offset_field(std::string_view two) {
    if (two.size() != 2) return std::nullopt;
    if (two[0] == '+' && two[1] >= '0' && two[1] <= '9') return two[1] - '0';
    if (two[0] >= '0' && two[0] <= '9' && two[1] >= '0' && two[1] <= '9') {
        return (two[0] - '0') * 10 + (two[1] - '0');
    }
    return std::nullopt;
}

std::optional<std::int32_t> parse_offset_text(std::string_view text) {
    if (text.empty() || (text[0] != '+' && text[0] != '-')) return std::nullopt;
    std::string_view minutes_field;
    switch (text.size()) {
        case 3:
            break;
        case 5:
            minutes_field = text.substr(3, 2);
            break;
        case 6:
            if (text[3] != ':') return std::nullopt;
            minutes_field = text.substr(4, 2);
            break;
        default:
            return std::nullopt;
    }
    auto hours = offset_field(text.substr(1, 2));
    if (!hours) return std::nullopt;
    std::int32_t minutes = 0;
    if (!minutes_field.empty()) {
        auto m = offset_field(minutes_field);
        if (!m) return std::nullopt;
        minutes = *m;
    }
    const std::int32_t seconds = *hours * 3600 + minutes * 60;
    if (seconds > kMaxOffsetSeconds) return std::nullopt;
    return text[0] == '-' ? -seconds : seconds;
}

}  // namespace

Result<TimeZone> parse_timezone(std::string_view text) {
    if (text == "Z" || text == "UTC") return TimeZone::utc();
    if (auto offset = parse_offset_text(text)) {
        return *offset == 0 ? TimeZone::utc() : TimeZone::fixed(*offset);
    }
    return find_zone(text);
}

std::string library_message(const Error& error) {
    if (!error.is_range) return error.message;
    return "out of range: " + error.message;
}

std::string value_error_text(std::string_view message) {
    std::string text = "#VALUE! ";
    text += message;
    return text;
}

}  // namespace orvel::datetime
