#include "datetime/strptime.h"

#include <algorithm>
#include <string>
#include <utility>

#include "datetime/calendar_names.h"
#include "datetime/conversion.h"
#include "datetime/format_shorthands.h"
#include "datetime/scan.h"

namespace orvel::datetime {

namespace {

Error parse_error(std::string detail) {
    return Error::plain("strptime parsing failed: " + detail);
}

bool is_blank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) noexcept {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (to_ascii_lower(text[i]) != to_ascii_lower(prefix[i])) return false;
    }
    return true;
}

// "%.f" alone, without flag or width: the one directive that may match no input.
bool is_bare_fraction(const Conversion& conv) noexcept {
    return conv.dot && conv.flag == 0 && !conv.width && conv.directive == 'f';
}

// The digits a number may take: its usual count, or more under a width where the width pads
// with zeros. The flags `-` and `_` pad with none, and without a flag %C, %s, %u and %w pad
// with blanks, as in formatting.
std::size_t max_digits(const Conversion& conv, std::size_t usual,
                       bool blank_padded = false) noexcept {
    const char flag = conv.flag;
    if (!conv.width || flag == '-' || flag == '_' || (flag == 0 && blank_padded)) return usual;
    return std::max(usual, static_cast<std::size_t>(*conv.width));
}

constexpr std::size_t kFractionDigits = 9;
constexpr std::size_t kTimestampDigits = 19;  // the digits of the largest 64-bit integer

class Parser {
public:
    Parser(std::string_view text, ParsedFields& fields) : in_{text, 0}, fields_(fields) {}

    Result<Ok> run(std::string_view format) {
        std::size_t i = 0;
        while (i < format.size()) {
            const char c = format[i++];
            if (is_blank(c)) {
                skip_blanks();
                continue;
            }
            if (c != '%') {
                if (!in_.eat(c)) return unexpected(mismatch(c));
                continue;
            }
            auto conv = read_conversion(format, i, "strptime parsing failed: ");
            if (!conv) return unexpected(std::move(conv).error());
            if (conv->colons > 1 && conv->directive == 'Q')
                return unexpected(parse_error("invalid number of `:` in `%Q` directive"));
            if (in_.done() && !is_bare_fraction(*conv)) {
                return unexpected(parse_error("expected non-empty input for directive `" +
                                              directive_text(*conv) + "`, but found end of input"));
            }
            if (auto r = directive(*conv); !r) return r;
        }
        return Ok{};
    }

    bool finished() const noexcept { return in_.done(); }
    std::string_view rest() const noexcept { return in_.rest(); }

private:
    Error mismatch(char expected) const {
        std::string text = "expected to match literal byte ";
        text += debug_quote(std::string_view(&expected, 1));
        text += in_.done() ? " from format string, but found end of input"
                           : " from format string, but found " +
                                 debug_quote(in_.rest().substr(0, 1)) + " in input";
        return parse_error(std::move(text));
    }

    Error expected(const Conversion& conv, std::string_view what) const {
        std::string text = directive_text(conv);
        text += " failed: expected ";
        text += what;
        text += in_.done() ? ", but found end of input"
                           : ", but found " + debug_quote(in_.rest().substr(0, 1));
        return parse_error(std::move(text));
    }

    Error offset_error(const Conversion& conv, std::string_view what) const {
        return parse_error(directive_text(conv) + " failed: " + std::string(what));
    }

    void skip_blanks() noexcept {
        while (is_blank(in_.peek())) ++in_.pos;
    }

    // After any blanks, an unsigned number.
    Result<std::int64_t> number(const Conversion& conv, std::size_t digits,
                                std::string_view what) {
        skip_blanks();
        return unsigned_digits(conv, digits, what);
    }

    // An optional sign first, then any blanks and an unsigned number: "- 5" is -5, " -5" is no
    // number.
    Result<std::int64_t> signed_number(const Conversion& conv, std::size_t digits,
                                       std::string_view what) {
        const bool negative = in_.peek() == '-';
        if (negative || in_.peek() == '+') ++in_.pos;
        skip_blanks();
        auto value = unsigned_digits(conv, digits, what);
        if (!value) return value;
        return negative ? -*value : *value;
    }

    // Greedy, up to `digits` digits.
    Result<std::int64_t> unsigned_digits(const Conversion& conv, std::size_t digits,
                                         std::string_view what) {
        bool overflow = false;
        auto value = in_.digits(digits, overflow);
        if (!value) return unexpected(expected(conv, what));
        // The text is no number we can hold: a parse failure, not a field out of its range.
        if (overflow)
            return unexpected(parse_error("number too big to parse into a 64-bit integer"));
        return *value;
    }

    // A field is checked against its range as it is read, whether or not the result uses it.
    static Result<Ok> store(Result<std::int64_t> value, std::string_view name, std::int64_t min,
                            std::int64_t max, std::optional<std::int64_t>& into) {
        if (!value) return unexpected(std::move(value).error());
        if (*value < min || *value > max) return unexpected(Error::range(name, *value, min, max));
        into = *value;
        return Ok{};
    }

    // A two-digit year of 1969 to 2068.
    static Result<Ok> store_two_digit_year(Result<std::int64_t> value,
                                           std::optional<std::int64_t>& into) {
        if (!value) return unexpected(std::move(value).error());
        if (*value > 99) return unexpected(Error::range("year (2 digits)", *value, 0, 99));
        into = *value + (*value <= 68 ? 2000 : 1900);
        return Ok{};
    }

    template <std::size_t N>
    std::optional<int> name(const std::string_view (&full)[N],
                            const std::string_view (&abbreviated)[N]) {
        for (std::size_t i = 0; i < N; ++i) {
            if (starts_with_ignoring_case(in_.rest(), full[i])) {
                in_.pos += full[i].size();
                return static_cast<int>(i);
            }
        }
        for (std::size_t i = 0; i < N; ++i) {
            if (starts_with_ignoring_case(in_.rest(), abbreviated[i])) {
                in_.pos += abbreviated[i].size();
                return static_cast<int>(i);
            }
        }
        return std::nullopt;
    }

    Result<std::int64_t> offset_part(const Conversion& conv, std::int64_t max,
                                     std::string_view unit, std::string_view field) {
        auto digits = in_.fixed_digits(2);
        if (!digits) {
            std::string what = "expected two digit ";
            what += unit;
            what += in_.done() ? ", but found end of input"
                               : ", but found " + debug_quote(in_.rest().substr(0, 1));
            return unexpected(offset_error(conv, what));
        }
        if (*digits > max) return unexpected(Error::range(field, *digits, 0, max));
        return *digits;
    }

    // A sign and two-digit hours, then by the colons:
    //   0: MM[SS]       1: :MM[:SS]       2: :MM:SS
    //   3: nothing more at the end of the text, else :MM[:SS]
    // Seconds without a colon are read only when two digits follow; no fraction is taken.
    Result<std::int32_t> offset(const Conversion& conv, int colons) {
        const char sign = in_.peek();
        if (sign == 'Z' || sign == 'z') {
            return unexpected(offset_error(
                conv, "found `Z` where a numeric UTC offset was expected (this context does not "
                      "permit the Zulu offset)"));
        }
        if (sign != '+' && sign != '-')
            return unexpected(expected(conv, "'+' or '-' to begin UTC offset"));
        ++in_.pos;
        auto hours = offset_part(conv, 25, "hours", "offset-hours");
        if (!hours) return unexpected(std::move(hours).error());
        std::int64_t minutes = 0, seconds = 0;
        const bool hours_only = colons == 3 && in_.done();
        auto after_hours = [&](std::string_view what) {
            return unexpected(
                offset_error(conv, "parsed hour component of time zone offset, but " +
                                       std::string(what)));
        };
        if (!hours_only) {
            if (colons == 0 && in_.peek() == ':')
                return after_hours("found colon after hours which is not allowed");
            if (in_.done() || (colons == 0 && !is_ascii_digit(in_.peek())))
                return after_hours("could not find required minute component");
            if (colons > 0 && !in_.eat(':'))
                return after_hours("could not find required colon separator");
            auto got_minutes = offset_part(conv, 59, "minutes", "offset-minutes");
            if (!got_minutes) return unexpected(std::move(got_minutes).error());
            minutes = *got_minutes;
            const bool two_digits = is_ascii_digit(in_.peek()) && is_ascii_digit(in_.peek(1));
            const bool with_seconds = colons == 0 ? two_digits : in_.eat(':');
            if (!with_seconds && colons == 2) {
                return unexpected(offset_error(conv, "parsed hour and minute components of time "
                                                     "zone offset, but could not find required "
                                                     "second component"));
            }
            if (with_seconds) {
                auto got_seconds = offset_part(conv, 59, "seconds", "offset-seconds");
                if (!got_seconds) return unexpected(std::move(got_seconds).error());
                seconds = *got_seconds;
                if (in_.peek() == '.' || in_.peek() == ',') {
                    return unexpected(offset_error(
                        conv, "subsecond precision for UTC numeric offset is not enabled in "
                              "this context (must provide only integral minutes or seconds)"));
                }
            }
        }
        const auto total = static_cast<std::int32_t>(*hours * 3600 + minutes * 60 + seconds);
        return sign == '-' ? -total : total;
    }

    // %Q: an IANA name, or a fixed offset as %z (or %:z) writes it.
    Result<Ok> zone_name(const Conversion& conv) {
        if (in_.peek() == '+' || in_.peek() == '-') {
            auto parsed = offset(conv, conv.colons);
            if (!parsed) return unexpected(std::move(parsed).error());
            fields_.offset = *parsed;
            return Ok{};
        }
        const std::size_t start = in_.pos;
        if (!is_ascii_alpha(in_.peek()) && in_.peek() != '_') {
            return unexpected(expected(conv, "the start of an IANA time zone identifier"));
        }
        while (is_ascii_alpha(in_.peek()) || is_ascii_digit(in_.peek()) || in_.peek() == '_' ||
               in_.peek() == '/' || in_.peek() == '+' || in_.peek() == '-' || in_.peek() == '.') {
            ++in_.pos;
        }
        fields_.zone_name = in_.text.substr(start, in_.pos - start);
        return Ok{};
    }

    // One to nine digits; more digits are left to what follows, so the scan sees nine at most.
    Result<Ok> fraction(const Conversion& conv) {
        Cursor nine{in_.text.substr(0, in_.pos + kFractionDigits), in_.pos};
        auto nanos = scan_fraction_nanos(nine);
        if (!nanos) return unexpected(expected(conv, "one to nine digits of fractional seconds"));
        in_.pos = nine.pos;
        fields_.nanosecond = *nanos;
        return Ok{};
    }

    Result<Ok> directive(const Conversion& conv) {
        if (auto expansion = shorthand_expansion(conv.directive)) return run(*expansion);
        auto& f = fields_;
        switch (conv.directive) {
            case '%':
                if (!in_.eat('%')) return unexpected(mismatch('%'));
                return Ok{};
            case 'n':
            case 't':
                skip_blanks();
                return Ok{};
            // Every year directive sets the one year; the last one read wins.
            case 'Y':
                return store(signed_number(conv, max_digits(conv, 4), "year"), "year", kMinYear,
                             kMaxYear, f.year);
            case 'C': {
                auto century = signed_number(conv, max_digits(conv, 2, true), "century");
                if (!century) return unexpected(std::move(century).error());
                if (*century < -99 || *century > 99) {
                    const std::int64_t magnitude = *century < 0 ? -*century : *century;
                    return unexpected(Error::range("century", magnitude, 0, 99));
                }
                f.year = *century * 100;
                return Ok{};
            }
            case 'y':
                return store_two_digit_year(number(conv, max_digits(conv, 2), "two digit year"),
                                            f.year);
            case 'G':
                return store(signed_number(conv, max_digits(conv, 4), "ISO 8601 week-based year"),
                             "year", kMinYear, kMaxYear, f.iso_year);
            case 'g':
                return store_two_digit_year(
                    number(conv, max_digits(conv, 2), "two digit ISO 8601 week-based year"),
                    f.iso_year);
            case 'm':
                return store(number(conv, max_digits(conv, 2), "month"), "month", 1, 12, f.month);
            case 'd':
            case 'e':
                return store(number(conv, max_digits(conv, 2), "day"), "day", 1, 31, f.day);
            case 'j':
                return store(number(conv, max_digits(conv, 3), "day of year"), "day-of-year", 1,
                             366, f.day_of_year);
            case 'V':
                return store(number(conv, max_digits(conv, 2), "ISO 8601 week number"), "week", 1,
                             53, f.iso_week);
            case 'U':
                return store(number(conv, max_digits(conv, 2), "week number"), "week", 0, 53,
                             f.week_from_sunday);
            case 'W':
                return store(number(conv, max_digits(conv, 2), "week number"), "week", 0, 53,
                             f.week_from_monday);
            // Both clocks set the one hour; a meridiem applies to whichever was read last.
            case 'H':
            case 'k':
                return store(number(conv, max_digits(conv, 2), "hour"), "hour", 0, 23, f.hour);
            case 'I':
            case 'l':
                return store(number(conv, max_digits(conv, 2), "hour"), "hour", 1, 12, f.hour);
            case 'M':
                return store(number(conv, max_digits(conv, 2), "minute"), "minute", 0, 59,
                             f.minute);
            case 'S': {
                // A leap second reads as the second before it.
                auto second = number(conv, max_digits(conv, 2), "second");
                if (second && *second == 60) *second = 59;
                return store(std::move(second), "second", 0, 59, f.second);
            }
            case 's':
                return store(signed_number(conv, max_digits(conv, kTimestampDigits, true),
                                           "Unix timestamp"),
                             "unix_seconds", kMinInstantSecond, kMaxInstantSecond, f.timestamp);
            case 'u':
                return store(number(conv, max_digits(conv, 1, true), "weekday number"), "weekday",
                             1, 7, f.weekday);
            case 'w': {
                std::optional<std::int64_t> sunday_based;
                auto r = store(number(conv, max_digits(conv, 1, true), "weekday number"),
                               "weekday", 0, 6, sunday_based);
                if (!r) return r;
                f.weekday = *sunday_based == 0 ? 7 : *sunday_based;
                return Ok{};
            }
            case 'A':
            case 'a': {
                auto index = name(kWeekdayNames, kWeekdayAbbreviations);
                if (!index) return unexpected(expected(conv, "weekday name"));
                f.weekday = *index + 1;
                return Ok{};
            }
            case 'B':
            case 'b':
            case 'h': {
                auto index = name(kMonthNames, kMonthAbbreviations);
                if (!index) return unexpected(expected(conv, "month name"));
                f.month = *index + 1;
                return Ok{};
            }
            case 'p':
            case 'P':
                if (starts_with_ignoring_case(in_.rest(), "am") ||
                    starts_with_ignoring_case(in_.rest(), "pm")) {
                    f.pm = to_ascii_lower(in_.peek()) == 'p';
                    in_.pos += 2;
                    return Ok{};
                }
                return unexpected(expected(conv, "AM or PM"));
            case 'f':
                if (conv.dot && !in_.eat('.')) return Ok{};
                return fraction(conv);
            case 'N':
                return fraction(conv);
            case 'z': {
                auto parsed = offset(conv, conv.colons);
                if (!parsed) return unexpected(std::move(parsed).error());
                f.offset = *parsed;
                return Ok{};
            }
            case 'Q':
                return zone_name(conv);
            case 'Z':
                return unexpected(
                    parse_error("%Z cannot be parsed: time zone abbreviations are ambiguous"));
            case 'c':
            case 'r':
            case 'x':
            case 'X': {
                std::string text = "%";
                text += conv.directive;
                text += " cannot be parsed: locale-dependent formats are not supported";
                return unexpected(parse_error(std::move(text)));
            }
            default:
                break;
        }
        std::string detail = "found unrecognized specifier directive ";
        detail += debug_quote(std::string_view(&conv.directive, 1));
        return unexpected(parse_error(std::move(detail)));
    }

    Cursor in_;
    ParsedFields& fields_;
};

}  // namespace

Result<ParsedFields> parse_strptime(std::string_view text, std::string_view format) {
    ParsedFields fields;
    Parser parser(text, fields);
    if (auto r = parser.run(format); !r) return unexpected(std::move(r).error());
    if (!parser.finished()) {
        return unexpected(
            parse_error("unconsumed input remaining after parsing: " + debug_quote(parser.rest())));
    }
    return fields;
}

}  // namespace orvel::datetime
