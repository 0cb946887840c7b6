// The byte-level text rules: UTF-8 checks and replacement, percent decoding, form pairs.
#include "url/percent.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "call_helpers.h"
#include "code_points.h"
#include "url/form.h"
#include "url/utf8.h"

namespace orvel::url {
namespace {

struct Utf8Row {
    std::string bytes;
    bool valid;
    std::string lossy;  // the bytes with every maximal ill-formed subpart replaced
};

const std::string kFFFD = "\xEF\xBF\xBD";

TEST(Utf8, StrictCheckAndMaximalSubpartReplacement) {
    const std::vector<Utf8Row> rows = {
        {"", true, ""},
        {"plain", true, "plain"},
        {std::string("a\0b", 3), true, std::string("a\0b", 3)},
        {"\xC3\xA9", true, "\xC3\xA9"},
        {"\xF0\x9F\x98\x80", true, "\xF0\x9F\x98\x80"},
        {"\xF4\x8F\xBF\xBF", true, "\xF4\x8F\xBF\xBF"},
        {"\xED\x9F\xBF", true, "\xED\x9F\xBF"},
        {"\xFF", false, kFFFD},
        {"\x80", false, kFFFD},
        {"\xE2\x82", false, kFFFD},
        {"\xE2\x82\x41", false, kFFFD + "A"},
        {"\xF0\x80", false, kFFFD + kFFFD},
        {"\xED\xA0\x80", false, kFFFD + kFFFD + kFFFD},
        {"\xC0\x80", false, kFFFD + kFFFD},
        {"\xE0\x80\x80", false, kFFFD + kFFFD + kFFFD},
        {"\xF4\x90\x80\x80", false, kFFFD + kFFFD + kFFFD + kFFFD},
        {"\xF0\x9F\x98", false, kFFFD},
        {std::string("a\xF0\x9F\x98") + "b\xC3", false, "a" + kFFFD + "b" + kFFFD},
    };
    for (const Utf8Row& row : rows) {
        EXPECT_EQ(is_valid_utf8(row.bytes), row.valid) << ::testing::PrintToString(row.bytes);
        std::string lossy;
        append_utf8_lossy(lossy, row.bytes);
        EXPECT_EQ(lossy, row.lossy) << ::testing::PrintToString(row.bytes);
    }
}

TEST(PercentDecoding, DecodesOnlyPercentFollowedByTwoHexDigits) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"%41%6a%6A", "Ajj"},
        {"%", "%"},
        {"%4", "%4"},
        {"%%41", "%A"},
        {"%g1", "%g1"},
        {"a+b", "a+b"},
        {"%00", std::string("\0", 1)},
        {"%ff", "\xFF"},
        {"%2541", "%41"},
        {"50%", "50%"},
    };
    for (const auto& [input, expected] : rows) {
        std::string out;
        append_percent_decoded(out, input);
        EXPECT_EQ(out, expected) << input;
    }
}

TEST(FormValue, ReadsPairsAsFormEncoding) {
    const std::vector<std::vector<std::string>> rows = {
        // query, name, value
        {"&&", "", ""},
        {"flag&x=1", "flag", ""},
        {"a+b=1", "a b", "1"},
        {"a+b=1", "a+b", ""},
        {"x=%zz%4", "x", "%zz%4"},
        {"x=%E2%82A", "x", kFFFD + "A"},
        {"x=%ED%A0%80", "x", kFFFD + kFFFD + kFFFD},
        {"%FF=1", kFFFD, "1"},
        {"?x=1", "?x", "1"},
        {"", "x", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(form_value(row[0], row[1]), row[2]) << row[0] << " / " << row[1];
    }
}

// Any valid UTF-8 text, built from code points of every encoded length.
std::string random_text(std::mt19937& rng) {
    struct Range {
        std::uint32_t first, last;
    };
    static constexpr Range kRanges[] = {
        {0, 0x7F}, {0x80, 0x7FF}, {0x800, 0xD7FF}, {0xE000, 0xFFFF}, {0x10000, 0x10FFFF}};
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kRanges) - 1);
    std::string out;
    for (int i = length(rng); i > 0; --i) {
        const Range& range = kRanges[pick(rng)];
        testing::append_code_point(
            out, std::uniform_int_distribution<std::uint32_t>(range.first, range.last)(rng));
    }
    return out;
}

TEST(PercentEncoding, DecodingAnEncodedTextGivesItBack) {
    std::mt19937 rng(20240131);
    for (int i = 0; i < 20000; ++i) {
        std::string original = random_text(rng);
        ASSERT_TRUE(is_valid_utf8(original));
        std::string encoded = testing::call("URL_ENCODE", {testing::text(original)});
        ASSERT_EQ(encoded.find_first_not_of(
                      "%0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
                  std::string::npos)
            << encoded;
        EXPECT_EQ(testing::call("URL_DECODE", {testing::text(encoded)}), original) << encoded;
    }
}

}  // namespace
}  // namespace orvel::url
