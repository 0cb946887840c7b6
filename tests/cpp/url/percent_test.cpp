// The byte-level text rules: UTF-8 checks and replacement, percent decoding, form pairs.
#include "url/percent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "url/form.h"
#include "url/utf8.h"

namespace orvel::url {
namespace {

const std::string kFFFD = "\xEF\xBF\xBD";

TEST(Utf8, StrictCheckAndMaximalSubpartReplacement) {
    // The bytes, and the bytes with every maximal ill-formed subpart replaced.
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"", ""},
        {"plain", "plain"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {"\xC3\xA9", "\xC3\xA9"},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
        {"\xED\x9F\xBF", "\xED\x9F\xBF"},
        {"\xFF", kFFFD},
        {"\x80", kFFFD},
        {"\xE2\x82", kFFFD},
        {"\xE2\x82\x41", kFFFD + "A"},
        {"\xF0\x80", kFFFD + kFFFD},
        {"\xED\xA0\x80", kFFFD + kFFFD + kFFFD},
        {"\xC0\x80", kFFFD + kFFFD},
        {"\xE0\x80\x80", kFFFD + kFFFD + kFFFD},
        {"\xF4\x90\x80\x80", kFFFD + kFFFD + kFFFD + kFFFD},
        {"\xF0\x9F\x98", kFFFD},
        {std::string("a\xF0\x9F\x98") + "b\xC3", "a" + kFFFD + "b" + kFFFD},
    };
    for (const auto& [bytes, replaced] : rows) {
        EXPECT_EQ(is_valid_utf8(bytes), bytes == replaced) << ::testing::PrintToString(bytes);
        std::string lossy;
        append_utf8_lossy(lossy, bytes);
        EXPECT_EQ(lossy, replaced) << ::testing::PrintToString(bytes);
    }
}

TEST(PercentDecoding, DecodesOnlyPercentFollowedByTwoHexDigits) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"%41%6a%6A", "Ajj"}, {"%4", "%4"},     {"%%41", "%A"},
        {"%g1", "%g1"},       {"a+b", "a+b"},   {"%00", std::string("\0", 1)},
        {"%ff", "\xFF"},      {"%2541", "%41"}, {"50%", "50%"},
    };
    for (const auto& [input, expected] : rows) {
        std::string out;
        append_percent_decoded(out, input);
        EXPECT_EQ(out, expected) << input;
    }
}

TEST(FormValue, ReadsPairsAsFormEncoding) {
    const std::vector<std::vector<std::string>> rows = {
        {"&&", "", ""},
        {"flag&x=1", "flag", ""},
        {"a+b=1", "a b", "1"},
        {"a+b=1", "a+b", ""},
        {"a=1&bc=2&d=3", "bc", "2"},
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

}  // namespace
}  // namespace orvel::url
