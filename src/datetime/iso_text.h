// ISO 8601 dates, times and date-times, and RFC 9557 zoned date-times: printers and parsers.
#pragma once

#include <string>
#include <string_view>

#include "datetime/civil.h"
#include "datetime/error.h"
#include "datetime/instant.h"

namespace orvel::datetime {

// "2024-02-29"; years below 0 as "-" and six digits ("-000044-03-15").
void append_date(std::string& out, Date date);
// "09:05:00", with "." and the fraction less its trailing zeros when it is not zero.
void append_time(std::string& out, Time time);
void append_datetime(std::string& out, const DateTime& dt);
// Local date-time, offset rounded to minutes, "[zone]"; "Z[Etc/Unknown]" for the unknown zone.
void append_zoned(std::string& out, const Zoned& zoned);
// The fraction of a second as digits less their trailing zeros (nothing for zero).
void append_fraction_digits(std::string& out, std::int32_t nanos);

// Whole-text parsers. Civil parsers accept an offset or annotations and ignore them, but refuse
// "Z"; the date parser also reads a full date-time and keeps its date.
Result<Date> parse_date(std::string_view text);
Result<Time> parse_time(std::string_view text);
Result<DateTime> parse_datetime(std::string_view text);
// Needs a bracketed zone; the name is looked up in the zone database.
Result<Zoned> parse_zoned(std::string_view text);

}  // namespace orvel::datetime
