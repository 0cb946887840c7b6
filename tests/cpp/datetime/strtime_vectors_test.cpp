// The format and parse records of tests/data/datetime/strtime-vectors.json (its README says where
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

constexpr std::size_t kFileRecords = 235;
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
    {"format", "date", "%V %j|%-j|%5Y|%_3d|%06a", "2024-01-05", "01 005|5|02024|  5|000Fri"},
    {"format", "date", "%U %W", "2023-01-01", "01 00"},
    {"format", "date", "%Y|%_4C|%04C|%-C|%y", "-002024-07-14", "-2024| -20|-0020|-20|76"},
    {"format", "datetime", "%10A|%-5a|%#P|%^p", "2024-07-14T17:00:00", "    Sunday|Sun|pm|PM"},
    {"format", "date", "100%% %n%t", "2024-07-14", "100% \n\t"},
    {"format", "date", "%255Y", "2024-07-14", std::string(16, '0') + "2024"},
    {"format", "date", "%256Y", "2024-07-14", kRefused},
    {"format", "date", "%^#a", "2024-07-14", kRefused},  // one flag at most
    {"format", "date", "%K", "2024-07-14", kRefused},
    {"format", "date", "%", "2024-07-14", kRefused},
    {"format", "time", "%Y", "10:00:00", kRefused},
    {"format", "time", "%00N", "10:00:00", kRefused},
    {"format", "datetime", "%z", "2024-07-14T10:00:00", kRefused},
    {"format", "zoned", "%::Q", kNewYork, kRefused},
    {"format", "zoned", "%s|%z %:z %::z %:::z", kNewYork, "1720992719|-0400 -04:00 -04:00:00 -04"},
    {"format", "zoned", "%:Q|%Z %#Z %^Z", kNewYork, "America/New_York|EDT edt EDT"},
    {"format", "zoned", "%Z %Q %:Q %:::z", "2024-06-15T12:00:00+05:30[+05:30]",
     "+05:30 +0530 +05:30 +05:30"},
    {"parse", "date", "%9Y-%03m-%_03d", "000002024-007-014", "2024-07-14"},
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
    {"parse", "zoned", "%F %R %Q", "2024-07-14 10:00 +05:30", "2024-07-14T10:00:00+05:30[+05:30]"},
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

// The file's records, then kMoreCases.
std::vector<Case> load_cases() {
    std::ifstream file(ORVEL_DATETIME_TESTDATA_DIR "/strtime-vectors.json", std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    std::vector<Case> cases;
    for (const Json& record : JsonReader::parse(file ? content.str() : "[]").items)
        cases.push_back(from_record(record));
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

TEST(StrtimeVectors, AllRecordsOfTheFileAreRead) {
    EXPECT_EQ(load_cases().size() - std::size(kMoreCases), kFileRecords);
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
                             const std::size_t i = param.index;
                             return i < kFileRecords ? "record_" + std::to_string(i)
                                                     : "more_" + std::to_string(i - kFileRecords);
                         });

}  // namespace
}  // namespace orvel::datetime
