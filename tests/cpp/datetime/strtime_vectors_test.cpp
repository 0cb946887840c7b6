// The format and parse records of the three files of tests/data/datetime (its README says where
// they come from and how one reads), then cases they lack in the same form: each its own test.
#include <gtest/gtest.h>

#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>

#include "datetime/iso_text.h"
#include "datetime/payload.h"
#include "datetime/strftime.h"
#include "datetime/strptime.h"
#include "json.h"

namespace orvel::datetime {
namespace {

// Each file with its record count and the prefix of its test names.
struct VectorFile {
    const char* name;
    std::size_t records;
    const char* prefix;
};
const VectorFile kFiles[] = {
    {"strtime-vectors.json", 235, "record_"},
    {"strtime-random-vectors.json", 5457, "random_"},
    {"strtime-zoned-random-vectors.json", 4544, "zoned_random_"},
};
constexpr std::nullopt_t kRefused = std::nullopt;

struct Case {
    std::string op, kind, pattern;      // kind: date, time, datetime or zoned
    std::string input;                  // the value's ISO text to format, or the text to parse
    std::optional<std::string> expect;  // the text formatted, or the parsed value's ISO text
};

const std::string kNewYork = "2024-07-14T17:31:59-04:00[America/New_York]";

// Zoned values, widths, flags and refusals the records skip; an hour without a meridiem. An
// expected "error: ..." pins the message, "out of range: " marking a range error.
const Case kMoreCases[] = {
    {"format", "date", "%V %j|%-j|%5Y|%_3d|%06a", "2024-01-05", "01 005|5|02024|  5|Fri"},
    {"format", "date", "%U %W", "2023-01-01", "01 00"},
    {"format", "date", "%Y|%C|%-C|%y|%g|%D", "-002024-07-14", "-2024|-20|-20|-24|-24|07/14/-24"},
    {"format", "datetime", "%10A|%-5a|%#P|%^p|%4P|%9B", "2024-07-14T17:00:00",
     "Sunday|Sun|pm|PM|pm|July"},
    {"format", "date", "%a %3u|%4C|%04C|%03u|%3w", "0915-07-04", "Thu   4|   9|0009|004|  4"},
    {"format", "date", "T%.f-%.3f|%x", "2024-07-04", "T-|2024 M07 4"},
    {"format", "date", "%3f", "2024-07-04", kRefused},
    {"format", "datetime", "%c", "2049-02-07T23:38:34", "2049 M02 7, Sun 23:38:34"},
    {"format", "date", "100%% %n%t", "2024-07-14", "100% \n\t"},
    {"format", "date", "%255Y", "2024-07-14", std::string(16, '0') + "2024"},
    {"format", "date", "%256Y", "2024-07-14", kRefused},
    {"format", "date", "%^#a", "2024-07-14", kRefused},  // one flag at most
    {"format", "date", "%K", "2024-07-14",
     "error: strftime formatting failed: found unrecognized specifier directive \"K\""},
    {"format", "date", "%", "2024-07-14", kRefused},
    {"format", "time", "%Y", "10:00:00", kRefused},
    {"format", "time", "%00N", "10:00:00", kRefused},
    {"format", "datetime", "%z", "2024-07-14T10:00:00", kRefused},
    {"format", "zoned", "%::Q", kNewYork, kRefused},
    {"format", "zoned", "%s|%z %:z %::z %:::z", kNewYork, "1720992719|-0400 -04:00 -04:00:00 -04"},
    {"format", "zoned", "%:Q|%Z %#Z %^Z", kNewYork, "America/New_York|EDT edt EDT"},
    {"format", "zoned", "%^Q|%10Q|%_5:Q|%06Z", kNewYork,
     "America/New_York|America/New_York|America/New_York|EDT"},
    {"format", "zoned", "%3s|%_5s|%05s", "1970-01-01T00:00:00+00:00[UTC]", "  0|    0|00000"},
    {"format", "zoned", "%Z %Q %:Q %:::z", "2024-06-15T12:00:00+05:30[+05:30]",
     "+05:30 +0530 +05:30 +05:30"},
    {"parse", "date", "%9Y-%03m-%03d", "000002024-007-014", "2024-07-14"},
    // A sign, then blanks, then digits.
    {"parse", "date", "%Y-%m-%d", " -2024-07-14", kRefused},
    {"parse", "date", "%Y-%m-%d", "- 2024-07-14", "-002024-07-14"},
    {"parse", "zoned", "%s %z", "- 5 +0000", "1969-12-31T23:59:55+00:00[UTC]"},
    // Every directive but a bare %.f needs input.
    {"parse", "date", "%Y-%m-%d%n", "2024-07-14", kRefused},
    {"parse", "date", "%Y-%m-%d %t", "2024-07-14 ", kRefused},
    {"parse", "time", "%H:%M:%S%.f", "10:00:00", "10:00:00"},
    {"parse", "time", "%H:%M:%S%_.f", "10:00:00", kRefused},
    {"parse", "time", "%H:%M:%S%.256f", "10:00:00.5", kRefused},
    // A fraction takes nine digits at most and leaves the rest.
    {"parse", "time", "%H:%M:%S%.f%M", "10:00:00.12345678912", "10:12:00.123456789"},
    // A width widens a number only where it pads with zeros; %C without a flag pads with blanks.
    {"format", "date", "%F%-3g%Y", "9999-12-31", "9999-12-31999999"},
    {"parse", "date", "%F%-3g%Y", "9999-12-31999999", "9999-12-31"},
    {"parse", "date", "%6C%y-%m-%d", "2017-07-01", "2017-07-01"},
    {"parse", "date", "%6C-%m-%d", "201-07-01", kRefused},
    {"parse", "date", "%06C %y %m %d", "000020 17 07 01", "2017-07-01"},
    {"parse", "date", "%3u %G %V", "001 2024 01", kRefused},
    {"parse", "time", "%04C %H", "0100 10", kRefused},  // a century of three digits
    // The last year field wins; %C sets the year to its first.
    {"parse", "date", "%Y %y %m %d", "106 06 11 12", "2006-11-12"},
    {"parse", "date", "%Y %C %m %d", "2024 19 07 01", "1900-07-01"},
    {"parse", "date", "%Y %D", "2024 07/01/17", "2017-07-01"},
    // Fields are checked as they are read, even those the result does not use.
    {"parse", "time", "%Y-%m-%d %H", "2024-11-00 01", kRefused},
    {"parse", "time", "%F", "1990-0-31", kRefused},
    {"parse", "time", "%F", "2024-02-30", "00:00:00"},
    {"parse", "time", "%H %I", "24 3", kRefused},
    {"parse", "time", "%H %I%p", "67 3pm", kRefused},
    {"parse", "time", "%H %H", "67 3", kRefused},
    {"parse", "time", "%I%p %H", "3am 15", "03:00:00"},
    {"parse", "date", "%Y %s %m %d", "2024 253402207201 07 14", kRefused},
    {"parse", "zoned", "%s %z", "12345678901234567890123 +00", kRefused},
    {"parse", "date", "%07y %m %d", "0000100 01 01",
     "error: out of range: parameter 'year (2 digits)' with value 100 is not in the required "
     "range of 0..=99"},
    {"parse", "date", "%m %d", "07 14",
     "error: a date requires a year, but the format did not include one"},
    {"parse", "date", "%Y %m", "2024 07",
     "error: a date requires a day, but the format did not include one"},
    {"parse", "date", "%Y %q", "2024 1",
     "error: strptime parsing failed: found unrecognized specifier directive \"q\""},
    {"parse", "date", "%Y/%m/%d", " 2024/ 7/\t14", "2024-07-14"},
    {"parse", "date", "%C%y%d%m", "20241407", "2024-07-14"},
    {"parse", "date", "%G%V%u", "2024017", "2024-01-07"},
    {"parse", "date", "%g-%V-%u", "99-01-1", "1999-01-04"},
    {"parse", "date", "%Y%U%w", "2024016", "2024-01-13"},
    {"parse", "date", "%Y-%m-%_-d", "2024-07-14", kRefused},
    {"parse", "date", "%Y %U %w", "2015 0 0",
     "error: weekday `Sunday` is not valid for Sunday based week number"},
    {"parse", "date", "%Y %W %w", "2009 0 3",
     "error: weekday `Wednesday` is not valid for Monday based week number"},
    {"parse", "date", "%Y %W %w", "2009 54 3",
     "error: out of range: parameter 'week' with value 54 is not in the required range of 0..=53"},
    {"parse", "date", "%F %u", "2024-07-14 8",
     "error: out of range: parameter 'weekday' with value 8 is not in the required range of 1..=7"},
    {"parse", "date", "%Y %s", "2024 99999999999999999999",
     "error: strptime parsing failed: number too big to parse into a 64-bit integer"},
    {"parse", "datetime", "%F", "2024-07-14", "2024-07-14T00:00:00"},
    {"parse", "time", "%M%S%H", "484915", "15:48:49"},
    {"parse", "time", "%H:%M:%S%.9f", "10:00:00.5", "10:00:00.5"},
    {"parse", "time", "%I", "12", "12:00:00"},
    {"parse", "time", "%H%p", "24pm", kRefused},
    {"parse", "time", "%H:%M %f", "10:30 5", kRefused},
    {"parse", "time", "%H %Z", "10 EST", kRefused},
    {"parse", "time", "%c", "x", kRefused},
    {"parse", "zoned", "%s %Q", "1720992719 America/New_York", kNewYork},
    {"parse", "zoned", "%s %z %Q", "1720992719 -0500 America/New_York", kRefused},
    {"parse", "zoned", "%s", "1720992719", "2024-07-14T21:31:59Z[Etc/Unknown]"},
    {"parse", "zoned", "%F %R %Q", "2024-07-14 10:00 +05:30", kRefused},
    {"parse", "zoned", "%s %Q", "0 +0530", "1970-01-01T05:30:00+05:30[+05:30]"},
    {"parse", "zoned", "%s %:Q", "0 +05:30", "1970-01-01T05:30:00+05:30[+05:30]"},
    {"parse", "zoned", "%s %:::z", "0 -08", "1969-12-31T16:00:00-08:00[-08:00]"},
    {"parse", "zoned", "%s %:::z %H", "0 -08:30 09", "1969-12-31T15:30:00-08:30[-08:30]"},
    {"parse", "zoned", "%s %:::z %H", "0 -08 09", kRefused},
    {"parse", "zoned", "%s %:::z", "0 -0830", kRefused},
    {"parse", "zoned", "%s %z", "0 -08", kRefused},
    {"parse", "zoned", "%s %:z%.f", "0 -08:30:15.5", kRefused},
    {"parse", "zoned", "%s %::Q", "0 +05:30:00", kRefused},
    {"parse", "zoned", "%F %R %z", "2024-07-14 10:00 +053015", "2024-07-14T10:00:00+05:30[+05:30]"},
    {"parse", "zoned", "%F %R %z", "2024-07-14 10:00 +255959", "2024-07-14T10:00:00+26:00[+26:00]"},
    {"parse", "zoned", "%s %:z/%:::z", "0 +01:00/+05", "1970-01-01T05:00:00+05:00[+05:00]"},
    {"parse", "zoned", "%F %R %:z", "2024-07-14 10:00 +05", kRefused},
    {"parse", "zoned", "%F %R %Q", "2024-07-14 10:00 Mars/Base", kRefused},
    {"parse", "zoned", "%F %R", "2024-07-14 10:00", kRefused},
};

std::int32_t number(const Json& list, std::size_t i) {
    const std::string& text = list.items.at(i).text;
    std::int32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

Case from_record(const Json& r) {
    Case c{r.at("op").text, r.has("as") ? r.at("as").text : "", r.at("pattern").text,
           r.has("text") ? r.at("text").text : "", kRefused};
    if (r.at("expect").kind != Json::Kind::Null) c.expect = r.at("expect").text;
    if (c.op == "parse") return c;
    const Json& value = r.at("value");
    if (value.has("zoned")) {
        c.input = value.at("zoned").text;
        c.kind = "zoned";
        return c;
    }
    if (value.has("date")) {
        const Json& d = value.at("date");
        append_date(c.input, Date{number(d, 0), number(d, 1), number(d, 2)});
        c.kind = "date";
    }
    if (value.has("time")) {
        const Json& t = value.at("time");
        if (!c.input.empty()) c.input += 'T';
        append_time(c.input, Time{number(t, 0), number(t, 1), number(t, 2), number(t, 3)});
        c.kind = c.kind.empty() ? "time" : "datetime";
    }
    return c;
}

std::vector<Case> load_file(const VectorFile& vectors) {
    std::ifstream file(std::string(ORVEL_DATETIME_TESTDATA_DIR "/") + vectors.name,
                       std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    std::vector<Case> cases;
    for (const Json& record : JsonReader::parse(file ? content.str() : "[]").items)
        cases.push_back(from_record(record));
    return cases;
}

// The files' records in order, then kMoreCases.
std::vector<Case> load_cases() {
    std::vector<Case> cases;
    for (const VectorFile& vectors : kFiles) {
        std::vector<Case> records = load_file(vectors);
        cases.insert(cases.end(), records.begin(), records.end());
    }
    cases.insert(cases.end(), std::begin(kMoreCases), std::end(kMoreCases));
    return cases;
}

template <class T>
std::string formatted(const Result<T>& value, std::string_view pattern) {
    if (!value) return "unreadable value: " + library_message(value.error());
    std::string out;
    auto r = format_strftime(out, pattern, FormatFields::of(*value));
    return r ? out : "error: " + library_message(r.error());
}

template <class T, class Append>
std::string iso_text(const Result<T>& value, Append append) {
    if (!value) return "error: " + library_message(value.error());
    std::string out;
    append(out, *value);
    return out;
}

// The text formatted or the parsed value's ISO text, else "error: " and the message.
std::string outcome(const Case& c) {
    if (c.op == "format") {
        if (c.kind == "date") return formatted(parse_date(c.input), c.pattern);
        if (c.kind == "time") return formatted(parse_time(c.input), c.pattern);
        if (c.kind == "zoned") return formatted(parse_zoned(c.input), c.pattern);
        return formatted(parse_datetime(c.input), c.pattern);
    }
    auto fields = parse_strptime(c.input, c.pattern);
    if (!fields) return "error: " + library_message(fields.error());
    if (c.kind == "date") return iso_text(fields_to_date(*fields), append_date);
    if (c.kind == "time") return iso_text(fields_to_time(*fields), append_time);
    if (c.kind == "zoned") return iso_text(fields_to_zoned(*fields), append_zoned);
    return iso_text(fields_to_datetime(*fields), append_datetime);
}

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.op << " " << ::testing::PrintToString(c.pattern) << " " << c.input;
}

TEST(StrtimeVectors, AllRecordsOfTheFilesAreRead) {
    for (const VectorFile& vectors : kFiles)
        EXPECT_EQ(load_file(vectors).size(), vectors.records) << vectors.name;
}

class StrtimeVector : public ::testing::TestWithParam<Case> {};

TEST_P(StrtimeVector, GivesTheRecordedResult) {
    const Case& c = GetParam();
    const std::string got = outcome(c);
    if (c.expect) {
        EXPECT_EQ(got, *c.expect) << ::testing::PrintToString(c);
    } else {
        EXPECT_EQ(got.rfind("error: ", 0), 0u) << ::testing::PrintToString(c) << " gave " << got;
    }
}

INSTANTIATE_TEST_SUITE_P(Records, StrtimeVector, ::testing::ValuesIn(load_cases()),
                         [](const ::testing::TestParamInfo<Case>& param) {
                             std::size_t i = param.index;
                             for (const VectorFile& vectors : kFiles) {
                                 if (i < vectors.records) return vectors.prefix + std::to_string(i);
                                 i -= vectors.records;
                             }
                             return "more_" + std::to_string(i);
                         });

}  // namespace
}  // namespace orvel::datetime
