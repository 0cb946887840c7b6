// strftime-style formatting of temporal values.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "datetime/civil.h"
#include "datetime/error.h"
#include "datetime/instant.h"

namespace orvel::datetime {

// The fields a value offers; a directive that needs a missing one fails.
struct FormatFields {
    std::optional<Date> date;
    std::optional<Time> time;
    // Offset, zone, abbreviation and Unix time come from a zoned value.
    const Zoned* zoned = nullptr;

    static FormatFields of(Date d) { return FormatFields{d, std::nullopt, nullptr}; }
    static FormatFields of(Time t) { return FormatFields{std::nullopt, t, nullptr}; }
    static FormatFields of(const DateTime& dt) { return FormatFields{dt.date, dt.time, nullptr}; }
    static FormatFields of(const Zoned& z) { return FormatFields{z.local.date, z.local.time, &z}; }
};

// Directives: %% %A %a %B %b %h %C %c %D %d %e %F %f %.f %G %g %H %I %j %k %l %M %m %N %n %P
// %p %Q %:Q %q %R %r %S %s %T %t %U %u %V %W %w %X %x %Y %y %Z %z %:z %::z %:::z, each with at
// most one of the flags _ - 0 ^ # and a width (padding is capped at 20); "-" drops padding
// whatever the width. A width pads numbers only: %C %s %u %w with blanks unless the flag is 0,
// the others as they pad by default; names, %Q and offsets are written as they are. %f takes
// its width as a precision, %.f the number after its dot (and writes nothing without a time).
// English names.
Result<Ok> format_strftime(std::string& out, std::string_view format, const FormatFields& fields);

}  // namespace orvel::datetime
