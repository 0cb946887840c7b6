// strptime-style parsing of text by a format, and turning the parsed fields into values.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "datetime/civil.h"
#include "datetime/error.h"
#include "datetime/instant.h"

namespace orvel::datetime {

// Each field within its range, as it was read last (%Y, %C, %y and %D all set the one year).
struct ParsedFields {
    std::optional<std::int64_t> year;
    std::optional<std::int64_t> month, day, day_of_year;
    std::optional<std::int64_t> iso_year, iso_week;
    std::optional<std::int64_t> week_from_sunday, week_from_monday;
    std::optional<std::int64_t> weekday;  // Monday 1 .. Sunday 7
    std::optional<std::int64_t> hour, minute, second, nanosecond;
    std::optional<bool> pm;  // a meridiem applies to the hour of either clock
    std::optional<std::int32_t> offset;
    std::optional<std::string_view> zone_name;  // points into the parsed text
    std::optional<std::int64_t> timestamp;
};

// Reads the whole text by the format. Directives as for formatting, except %Z, %c, %r, %x, %X
// and %q, which are refused; every directive but a bare %.f needs some text left. Blanks in the
// format match any run of blanks in the text, and blanks before a number are skipped (after its
// sign, for the signed ones). A width lets a number take more digits than its usual count,
// unless the flag is - or _. Each field is checked against its range as it is read.
Result<ParsedFields> parse_strptime(std::string_view text, std::string_view format);

// A date from year-month-day, else ISO week date, else day of year, else week number and
// weekday; a parsed weekday must agree.
Result<Date> fields_to_date(const ParsedFields& fields);
// Midnight when no hour was parsed; a smaller unit without all the larger ones is refused.
Result<Time> fields_to_time(const ParsedFields& fields);
Result<DateTime> fields_to_datetime(const ParsedFields& fields);

// A zoned value: a %Q name placed with a timestamp or the civil fields (a %z offset must be the
// zone's there); else a %z offset as a fixed zone; else a timestamp in the unknown zone.
Result<Zoned> fields_to_zoned(const ParsedFields& fields);
// As above, but without a name or an offset there is no value.
std::optional<Zoned> fields_to_zoned_if_zone_given(const ParsedFields& fields);

}  // namespace orvel::datetime
