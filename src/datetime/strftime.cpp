#include "datetime/strftime.h"

#include <algorithm>

#include "datetime/calendar_names.h"
#include "datetime/iso_text.h"
#include "datetime/offset_text.h"

namespace orvel::datetime {

namespace {

// Wider fields are cut to this width, so output stays linear in the format's length.
constexpr int kMaxFieldWidth = 20;
constexpr int kMaxWidth = 255;

struct Spec {
    char flag = 0;
    std::optional<int> width;
    int colons = 0;
    bool dot = false;
    char directive = 0;
};

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
            auto spec = parse_spec(format, i);
            if (!spec) return unexpected(std::move(spec).error());
            if (auto r = directive(*spec); !r) return r;
        }
        return Ok{};
    }

private:
    static Result<Spec> parse_spec(std::string_view format, std::size_t& i) {
        Spec spec;
        auto end_error = [] {
            return format_error(
                "expected to find specifier directive after '%', but found end of format string");
        };
        while (i < format.size() && (format[i] == '_' || format[i] == '-' || format[i] == '0' ||
                                     format[i] == '^' || format[i] == '#')) {
            spec.flag = format[i++];
        }
        if (i < format.size() && format[i] >= '1' && format[i] <= '9') {
            int width = 0;
            while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                width = width * 10 + (format[i++] - '0');
                if (width > kMaxWidth)
                    return unexpected(format_error("width in directive is too big (at most 255)"));
            }
            spec.width = width;
        }
        if (i < format.size() && format[i] == '.') {
            spec.dot = true;
            ++i;
            if (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                int width = 0;
                while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                    width = width * 10 + (format[i++] - '0');
                    if (width > kMaxWidth)
                        return unexpected(
                            format_error("width in directive is too big (at most 255)"));
                }
                spec.width = width;
            }
        }
        while (i < format.size() && format[i] == ':' && spec.colons < 3) {
            ++spec.colons;
            ++i;
        }
        if (i >= format.size()) return unexpected(end_error());
        spec.directive = format[i++];
        if (spec.dot && spec.directive != 'f') {
            return unexpected(format_error("expected 'f' after '%.'"));
        }
        if (spec.colons > 0 && spec.directive != 'z' && spec.directive != 'Q') {
            return unexpected(format_error("expected 'z' or 'Q' after ':' in directive"));
        }
        if (spec.colons > 1 && spec.directive == 'Q') {
            return unexpected(format_error("expected 'Q' after one ':' in directive"));
        }
        return spec;
    }

    static std::string directive_text(const Spec& spec) {
        std::string text = "%";
        text.append(static_cast<std::size_t>(spec.colons), ':');
        if (spec.dot) text += '.';
        text += spec.directive;
        return text;
    }

    static Error missing(const Spec& spec, std::string_view what) {
        std::string text = directive_text(spec);
        text += " failed: requires ";
        text += what;
        return format_error(std::move(text));
    }

    void pad(int count, char with) {
        for (int i = 0; i < count; ++i) out_ += with;
    }

    void number(const Spec& spec, std::int64_t value, int default_width, char default_pad = '0') {
        char pad_with = default_pad;
        int width = default_width;
        if (spec.flag == '-') width = 0;
        if (spec.flag == '_') pad_with = ' ';
        if (spec.flag == '0') pad_with = '0';
        if (spec.width) width = std::min(*spec.width, kMaxFieldWidth);
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

    void text(const Spec& spec, std::string_view value) {
        if (spec.width && spec.flag != '-') {
            pad(std::min(*spec.width, kMaxFieldWidth) - static_cast<int>(value.size()),
                spec.flag == '0' ? '0' : ' ');
        }
        for (char c : value) {
            if (spec.flag == '^' && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            if (spec.flag == '#') {
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

    void offset_text(std::int32_t seconds, int colons) {
        const std::int32_t magnitude = seconds < 0 ? -seconds : seconds;
        const int hours = magnitude / 3600, minutes = magnitude / 60 % 60, secs = magnitude % 60;
        out_ += seconds < 0 ? '-' : '+';
        auto two = [&](int v) {
            out_ += static_cast<char>('0' + v / 10);
            out_ += static_cast<char>('0' + v % 10);
        };
        two(hours);
        switch (colons) {
            case 0:
                two(minutes);
                if (secs != 0) two(secs);
                break;
            case 1:
                out_ += ':';
                two(minutes);
                if (secs != 0) {
                    out_ += ':';
                    two(secs);
                }
                break;
            case 2:
                out_ += ':';
                two(minutes);
                out_ += ':';
                two(secs);
                break;
            default:
                if (minutes != 0 || secs != 0) {
                    out_ += ':';
                    two(minutes);
                }
                if (secs != 0) {
                    out_ += ':';
                    two(secs);
                }
                break;
        }
    }

    Result<Ok> directive(const Spec& spec) {
        const auto& date = fields_.date;
        const auto& time = fields_.time;
        const Zoned* zoned = fields_.zoned;
        auto need_date = [&]() -> bool { return date.has_value(); };
        auto need_time = [&]() -> bool { return time.has_value(); };
        switch (spec.directive) {
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
                if (!need_date()) return unexpected(missing(spec, "date to format weekday"));
                text(spec, weekday_name(weekday(*date), spec.directive == 'A'));
                return Ok{};
            case 'B':
            case 'b':
            case 'h':
                if (!need_date()) return unexpected(missing(spec, "date to format month name"));
                text(spec, month_name(date->month, spec.directive == 'B'));
                return Ok{};
            case 'C':
                if (!need_date()) return unexpected(missing(spec, "date to format century"));
                number(spec, date->year / 100, 2);
                return Ok{};
            case 'Y':
                if (!need_date()) return unexpected(missing(spec, "date to format year"));
                number(spec, date->year, 4);
                return Ok{};
            case 'y':
                if (!need_date()) return unexpected(missing(spec, "date to format year (2-digit)"));
                number(spec, (date->year % 100 + 100) % 100, 2);
                return Ok{};
            case 'm':
                if (!need_date()) return unexpected(missing(spec, "date to format month"));
                number(spec, date->month, 2);
                return Ok{};
            case 'd':
            case 'e':
                if (!need_date()) return unexpected(missing(spec, "date to format day"));
                number(spec, date->day, 2, spec.directive == 'e' ? ' ' : '0');
                return Ok{};
            case 'j':
                if (!need_date()) return unexpected(missing(spec, "date to format day of year"));
                number(spec, day_of_year(*date), 3);
                return Ok{};
            case 'G':
            case 'g':
            case 'V': {
                if (!need_date())
                    return unexpected(missing(spec, "date to format ISO 8601 week date"));
                const IsoWeekDate iso = iso_week_date(*date);
                if (spec.directive == 'G') number(spec, iso.year, 4);
                if (spec.directive == 'g') number(spec, (iso.year % 100 + 100) % 100, 2);
                if (spec.directive == 'V') number(spec, iso.week, 2);
                return Ok{};
            }
            case 'U':
            case 'W': {
                if (!need_date()) return unexpected(missing(spec, "date to format week number"));
                const int yday = day_of_year(*date) - 1;
                const int sunday_based = weekday(*date) % 7;  // Sunday 0
                const int weekday_offset =
                    spec.directive == 'U' ? sunday_based : (sunday_based + 6) % 7;
                number(spec, (yday + 7 - weekday_offset) / 7, 2);
                return Ok{};
            }
            case 'u':
                if (!need_date()) return unexpected(missing(spec, "date to format weekday number"));
                number(spec, weekday(*date), 1);
                return Ok{};
            case 'w':
                if (!need_date()) return unexpected(missing(spec, "date to format weekday number"));
                number(spec, weekday(*date) % 7, 1);
                return Ok{};
            case 'q':
                if (!need_date()) return unexpected(missing(spec, "date to format quarter"));
                number(spec, (date->month - 1) / 3 + 1, 1);
                return Ok{};
            case 'H':
            case 'k':
                if (!need_time()) return unexpected(missing(spec, "time to format hour"));
                number(spec, time->hour, 2, spec.directive == 'k' ? ' ' : '0');
                return Ok{};
            case 'I':
            case 'l': {
                if (!need_time()) return unexpected(missing(spec, "time to format hour"));
                const int hour12 = time->hour % 12 == 0 ? 12 : time->hour % 12;
                number(spec, hour12, 2, spec.directive == 'l' ? ' ' : '0');
                return Ok{};
            }
            case 'M':
                if (!need_time()) return unexpected(missing(spec, "time to format minute"));
                number(spec, time->minute, 2);
                return Ok{};
            case 'S':
                if (!need_time()) return unexpected(missing(spec, "time to format second"));
                number(spec, time->second, 2);
                return Ok{};
            case 'p':
            case 'P': {
                if (!need_time()) return unexpected(missing(spec, "time to format AM/PM"));
                const bool pm = time->hour >= 12;
                text(spec, spec.directive == 'p' ? (pm ? "PM" : "AM") : (pm ? "pm" : "am"));
                return Ok{};
            }
            case 'f':
                if (!need_time())
                    return unexpected(missing(spec, "time to format fractional seconds"));
                if (spec.dot) {
                    if (time->nanosecond == 0 && !spec.width) return Ok{};
                    if (spec.width && *spec.width == 0) return Ok{};
                    out_ += '.';
                    fraction(time->nanosecond, spec.width);
                    return Ok{};
                }
                if (spec.width && *spec.width == 0)
                    return unexpected(format_error("zero precision with %f is not allowed"));
                if (time->nanosecond == 0 && !spec.width) {
                    out_ += '0';
                    return Ok{};
                }
                fraction(time->nanosecond, spec.width);
                return Ok{};
            case 'N':
                if (!need_time())
                    return unexpected(missing(spec, "time to format fractional seconds"));
                if (spec.width && *spec.width == 0)
                    return unexpected(format_error("zero precision with %N is not allowed"));
                fraction(time->nanosecond, spec.width.value_or(9));
                return Ok{};
            case 's':
                if (zoned == nullptr)
                    return unexpected(missing(spec, "instant to format Unix timestamp"));
                number(spec, zoned->instant.seconds_toward_zero(), 0);
                return Ok{};
            case 'z':
                if (zoned == nullptr)
                    return unexpected(missing(spec, "offset to format time zone offset"));
                offset_text(zoned->offset, spec.colons);
                return Ok{};
            case 'Q':
                if (zoned == nullptr) return unexpected(missing(spec, "time zone or offset"));
                if (auto name = zoned->zone.iana_name()) {
                    text(spec, *name);
                } else {
                    offset_text(zoned->offset, spec.colons == 0 ? 0 : 1);
                }
                return Ok{};
            case 'Z':
                if (zoned == nullptr) return unexpected(missing(spec, "time zone abbreviation"));
                text(spec, zoned->zone.info_at(zoned->instant.seconds).abbreviation);
                return Ok{};
            case 'c':
                return run("%Y M%m %d, %a %H:%M:%S");
            case 'x':
                return run("%Y M%m %d");
            case 'X':
                return run("%H:%M:%S");
            case 'D':
                return run("%m/%d/%y");
            case 'F':
                return run("%Y-%m-%d");
            case 'R':
                return run("%H:%M");
            case 'r':
                return run("%I:%M:%S %p");
            case 'T':
                return run("%H:%M:%S");
            default:
                break;
        }
        std::string detail = "found unrecognized specifier directive ";
        detail += debug_quote(std::string_view(&spec.directive, 1));
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
