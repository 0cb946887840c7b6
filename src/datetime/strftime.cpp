#include "datetime/strftime.h"

#include <algorithm>

#include "datetime/calendar_names.h"
#include "datetime/conversion.h"
#include "datetime/format_shorthands.h"
#include "datetime/iso_text.h"
#include "datetime/offset_text.h"

namespace orvel::datetime {

namespace {

// Wider fields are cut to this width, so output stays linear in the format's length.
constexpr int kMaxFieldWidth = 20;

std::string_view weekday_name(int weekday, bool full) {
    const int index = weekday - 1;
    return full ? kWeekdayNames[index] : kWeekdayAbbreviations[index];
}

std::string_view month_name(int month, bool full) {
    const int index = month - 1;
    return full ? kMonthNames[index] : kMonthAbbreviations[index];
}

Error format_error(std::string detail) {
    return Error::plain("strftime formatting failed: " + detail);
}

class Formatter {
public:
    Formatter(std::string& out, const FormatFields& fields) : out_(out), fields_(fields) {}

    Result<Ok> run(std::string_view format) {
        std::size_t i = 0;
        while (i < format.size()) {
            const char c = format[i++];
            if (c != '%') {
                out_ += c;
                continue;
            }
            auto conv = read_conversion(format, i, "strftime formatting failed: ");
            if (!conv) return unexpected(std::move(conv).error());
            if (auto r = check_colons(*conv); !r) return r;
            if (auto r = directive(*conv); !r) return r;
        }
        return Ok{};
    }

private:
    // Colons go only with %z and, one of them, %Q.
    static Result<Ok> check_colons(const Conversion& conv) {
        if (conv.colons > 0 && conv.directive != 'z' && conv.directive != 'Q')
            return unexpected(format_error("expected 'z' or 'Q' after ':' in directive"));
        if (conv.colons > 1 && conv.directive == 'Q')
            return unexpected(format_error("expected 'Q' after one ':' in directive"));
        return Ok{};
    }

    static Error missing(const Conversion& conv, std::string_view what) {
        std::string text = directive_text(conv);
        text += " failed: requires ";
        text += what;
        return format_error(std::move(text));
    }

    void pad(int count, char with) {
        for (int i = 0; i < count; ++i) out_ += with;
    }

    void number(const Conversion& conv, std::int64_t value, int default_width,
                char default_pad = '0') {
        char pad_with = default_pad;
        int width = default_width;
        if (conv.flag == '_') pad_with = ' ';
        if (conv.flag == '0') pad_with = '0';
        if (conv.width) width = std::min(*conv.width, kMaxFieldWidth);
        if (conv.flag == '-') width = 0;
        char digits[24];
        int n = 0;
        const bool negative = value < 0;
        std::uint64_t magnitude =
            negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
        do {
            digits[n++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        // Zeros go between the sign and the digits (-0044); blanks go before the sign.
        if (pad_with == '0') {
            if (negative) out_ += '-';
            pad(width - n, '0');
        } else {
            pad(width - n - (negative ? 1 : 0), pad_with);
            if (negative) out_ += '-';
        }
        while (n > 0) out_ += digits[--n];
    }

    // A name is never padded, whatever the width. `#` swaps the case of the texts that are upper
    // case by default (AM/PM, abbreviations); names such as "July" keep theirs.
    void text(const Conversion& conv, std::string_view value, bool upper_by_default = false) {
        for (char c : value) {
            if (conv.flag == '^' && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            if (conv.flag == '#' && upper_by_default) {
                if (c >= 'a' && c <= 'z') {
                    c = static_cast<char>(c - 32);
                } else if (c >= 'A' && c <= 'Z') {
                    c = static_cast<char>(c + 32);
                }
            }
            out_ += c;
        }
    }

    // Fraction digits: `precision` digits truncated, or trimmed digits when none is given.
    void fraction(std::int32_t nanos, std::optional<int> precision) {
        if (!precision) {
            append_fraction_digits(out_, nanos);
            return;
        }
        char digits[9];
        for (int i = 8; i >= 0; --i) {
            digits[i] = static_cast<char>('0' + nanos % 10);
            nanos /= 10;
        }
        out_.append(digits, static_cast<std::size_t>(*precision > 9 ? 9 : *precision));
    }

    // +HHMM[SS] (no colons), +HH:MM[:SS] (one), +HH:MM:SS (two): the seconds when there are
    // any or when two colons ask for them. Three colons give the shortest form.
    void offset_text(std::int32_t seconds, int colons) {
        if (colons == 3) {
            append_offset_display(out_, seconds);
            return;
        }
        const std::int32_t magnitude = seconds < 0 ? -seconds : seconds;
        const int hours = magnitude / 3600, minutes = magnitude / 60 % 60, secs = magnitude % 60;
        auto two = [&](int v) {
            out_ += static_cast<char>('0' + v / 10);
            out_ += static_cast<char>('0' + v % 10);
        };
        out_ += seconds < 0 ? '-' : '+';
        two(hours);
        if (colons > 0) out_ += ':';
        two(minutes);
        if (secs != 0 || colons == 2) {
            if (colons > 0) out_ += ':';
            two(secs);
        }
    }

    Result<Ok> directive(const Conversion& conv) {
        const auto& date = fields_.date;
        const auto& time = fields_.time;
        const Zoned* zoned = fields_.zoned;
        auto need_date = [&]() -> bool { return date.has_value(); };
        auto need_time = [&]() -> bool { return time.has_value(); };
        if (auto expansion = shorthand_expansion(conv.directive)) return run(*expansion);
        switch (conv.directive) {
            case '%':
                out_ += '%';
                return Ok{};
            case 'n':
                out_ += '\n';
                return Ok{};
            case 't':
                out_ += '\t';
                return Ok{};
            case 'A':
            case 'a':
                if (!need_date()) return unexpected(missing(conv, "date to format weekday"));
                text(conv, weekday_name(weekday(*date), conv.directive == 'A'));
                return Ok{};
            case 'B':
            case 'b':
            case 'h':
                if (!need_date()) return unexpected(missing(conv, "date to format month name"));
                text(conv, month_name(date->month, conv.directive == 'B'));
                return Ok{};
            case 'C':
                if (!need_date()) return unexpected(missing(conv, "date to format century"));
                number(conv, date->year / 100, 1, ' ');
                return Ok{};
            case 'Y':
                if (!need_date()) return unexpected(missing(conv, "date to format year"));
                number(conv, date->year, 4);
                return Ok{};
            case 'y':
                if (!need_date()) return unexpected(missing(conv, "date to format year (2-digit)"));
                number(conv, date->year % 100, 2);  // -2024 is -24
                return Ok{};
            case 'm':
                if (!need_date()) return unexpected(missing(conv, "date to format month"));
                number(conv, date->month, 2);
                return Ok{};
            case 'd':
            case 'e':
                if (!need_date()) return unexpected(missing(conv, "date to format day"));
                number(conv, date->day, 2, conv.directive == 'e' ? ' ' : '0');
                return Ok{};
            case 'j':
                if (!need_date()) return unexpected(missing(conv, "date to format day of year"));
                number(conv, day_of_year(*date), 3);
                return Ok{};
            case 'G':
            case 'g':
            case 'V': {
                if (!need_date())
                    return unexpected(missing(conv, "date to format ISO 8601 week date"));
                const IsoWeekDate iso = iso_week_date(*date);
                if (conv.directive == 'G') number(conv, iso.year, 4);
                if (conv.directive == 'g') number(conv, iso.year % 100, 2);
                if (conv.directive == 'V') number(conv, iso.week, 2);
                return Ok{};
            }
            case 'U':
            case 'W': {
                if (!need_date()) return unexpected(missing(conv, "date to format week number"));
                const int yday = day_of_year(*date) - 1;
                const int sunday_based = weekday(*date) % 7;  // Sunday 0
                const int weekday_offset =
                    conv.directive == 'U' ? sunday_based : (sunday_based + 6) % 7;
                number(conv, (yday + 7 - weekday_offset) / 7, 2);
                return Ok{};
            }
            case 'u':
                if (!need_date()) return unexpected(missing(conv, "date to format weekday number"));
                number(conv, weekday(*date), 1, ' ');
                return Ok{};
            case 'w':
                if (!need_date()) return unexpected(missing(conv, "date to format weekday number"));
                number(conv, weekday(*date) % 7, 1, ' ');
                return Ok{};
            case 'q':
                if (!need_date()) return unexpected(missing(conv, "date to format quarter"));
                number(conv, (date->month - 1) / 3 + 1, 1);
                return Ok{};
            case 'H':
            case 'k':
                if (!need_time()) return unexpected(missing(conv, "time to format hour"));
                number(conv, time->hour, 2, conv.directive == 'k' ? ' ' : '0');
                return Ok{};
            case 'I':
            case 'l': {
                if (!need_time()) return unexpected(missing(conv, "time to format hour"));
                const int hour12 = time->hour % 12 == 0 ? 12 : time->hour % 12;
                number(conv, hour12, 2, conv.directive == 'l' ? ' ' : '0');
                return Ok{};
            }
            case 'M':
                if (!need_time()) return unexpected(missing(conv, "time to format minute"));
                number(conv, time->minute, 2);
                return Ok{};
            case 'S':
                if (!need_time()) return unexpected(missing(conv, "time to format second"));
                number(conv, time->second, 2);
                return Ok{};
            case 'p':
            case 'P': {
                if (!need_time()) return unexpected(missing(conv, "time to format AM/PM"));
                const bool pm = time->hour >= 12;
                if (conv.directive == 'p') {
                    text(conv, pm ? "PM" : "AM", true);
                } else {
                    text(conv, pm ? "pm" : "am");
                }
                return Ok{};
            }
            case 'f':
                // "%.f" takes its precision after the dot; a width before it has no effect.
                // Without a time it writes nothing, as for a zero fraction.
                if (conv.dot && !need_time()) return Ok{};
                if (!need_time())
                    return unexpected(missing(conv, "time to format fractional seconds"));
                if (conv.dot) {
                    if (time->nanosecond == 0 && !conv.precision) return Ok{};
                    if (conv.precision && *conv.precision == 0) return Ok{};
                    out_ += '.';
                    fraction(time->nanosecond, conv.precision);
                    return Ok{};
                }
                if (conv.width && *conv.width == 0)
                    return unexpected(format_error("zero precision with %f is not allowed"));
                if (time->nanosecond == 0 && !conv.width) {
                    out_ += '0';
                    return Ok{};
                }
                fraction(time->nanosecond, conv.width);
                return Ok{};
            case 'N':
                if (!need_time())
                    return unexpected(missing(conv, "time to format fractional seconds"));
                if (conv.width && *conv.width == 0)
                    return unexpected(format_error("zero precision with %N is not allowed"));
                fraction(time->nanosecond, conv.width.value_or(9));
                return Ok{};
            case 's':
                if (zoned == nullptr)
                    return unexpected(missing(conv, "instant to format Unix timestamp"));
                number(conv, zoned->instant.seconds_toward_zero(), 0, ' ');
                return Ok{};
            case 'z':
                if (zoned == nullptr)
                    return unexpected(missing(conv, "offset to format time zone offset"));
                offset_text(zoned->offset, conv.colons);
                return Ok{};
            case 'Q':
                // Written as it is: flags and width change neither a zone name nor an offset.
                if (zoned == nullptr) return unexpected(missing(conv, "time zone or offset"));
                if (auto name = zoned->zone.iana_name()) {
                    out_ += *name;
                } else {
                    offset_text(zoned->offset, conv.colons == 0 ? 0 : 1);
                }
                return Ok{};
            case 'Z':
                if (zoned == nullptr) return unexpected(missing(conv, "time zone abbreviation"));
                text(conv, zoned->zone.info_at(zoned->instant.seconds).abbreviation, true);
                return Ok{};
            case 'c':
                return run("%Y M%m %-d, %a %H:%M:%S");
            case 'x':
                return run("%Y M%m %-d");
            case 'X':
                return run("%H:%M:%S");
            case 'r':
                return run("%-I:%M:%S %p");
            default:
                break;
        }
        std::string detail = "found unrecognized specifier directive ";
        detail += debug_quote(std::string_view(&conv.directive, 1));
        return unexpected(format_error(std::move(detail)));
    }

    std::string& out_;
    const FormatFields& fields_;
};

}  // namespace

Result<Ok> format_strftime(std::string& out, std::string_view format, const FormatFields& fields) {
    Formatter formatter(out, fields);
    return formatter.run(format);
}

}  // namespace orvel::datetime
