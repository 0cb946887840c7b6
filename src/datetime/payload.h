// Temporal values as custom cell values: the six type tags, payload writers and readers, time
// zone texts, and how library failures become error texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/values.h"
#include "datetime/civil.h"
#include "datetime/error.h"
#include "datetime/instant.h"
#include "datetime/spans.h"
#include "datetime/zone.h"

namespace orvel::datetime {

inline constexpr std::string_view kDateTag = "jdate";
inline constexpr std::string_view kTimeTag = "jtime";
inline constexpr std::string_view kDateTimeTag = "jdatetime";
inline constexpr std::string_view kZonedTag = "jzoned";
inline constexpr std::string_view kSpanTag = "jspan";
inline constexpr std::string_view kTimeZoneTag = "jtimezone";

// A custom value whose tag equals `tag` byte for byte.
inline bool has_tag(const core::CellValue& value, std::string_view tag) noexcept {
    return value.is_custom() && value.custom_tag() == tag;
}

core::CellValue pack_date(Date date);
core::CellValue pack_time(Time time);
core::CellValue pack_datetime(const DateTime& dt);
core::CellValue pack_zoned(const Zoned& zoned);
core::CellValue pack_span(const Span& span);
core::CellValue pack_timezone_iana(std::string_view name);
// "+05:30"; the seconds are dropped and "-" marks only negative offsets ("-00:00" for -30).
core::CellValue pack_timezone_offset(std::int32_t seconds);

// Readers: none when the value does not carry the kind's tag, else the value or the library's
// parse failure. The whole payload must be consumed.
std::optional<Result<Date>> unpack_date(const core::CellValue& value);
std::optional<Result<Time>> unpack_time(const core::CellValue& value);
std::optional<Result<DateTime>> unpack_datetime(const core::CellValue& value);
std::optional<Result<Zoned>> unpack_zoned(const core::CellValue& value);
std::optional<Result<Span>> unpack_span(const core::CellValue& value);

// "Z" or "UTC"; "+HH", "+HHMM", "+HH:MM" within 25:59:59 (zero is UTC); else a zone name.
Result<TimeZone> parse_timezone(std::string_view text);

// The message a function reports for a library failure: "out of range: " before range errors.
std::string library_message(const Error& error);
// "#VALUE! {message}": the error text of a function failure.
std::string value_error_text(std::string_view message);
inline std::string library_error_text(const Error& error) {
    return value_error_text(library_message(error));
}

}  // namespace orvel::datetime
