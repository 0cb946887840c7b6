// Random URL-like texts through every URL function: no crash, only the functions' own errors,
// valid UTF-8 out of valid UTF-8 in, and decoding gives back what encoding was given.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "call_helpers.h"
#include "url/utf8.h"

namespace orvel::url::testing {
namespace {

// Pieces that steer the parser into its corners: schemes, slashes, brackets, ports, escapes; and
// the first and last characters of each UTF-8 lead byte range.
const std::vector<std::string> kPieces = {
    "http:",  "https:", "file:", "foo:", "mailto:", "//", "/",     "\\", "?",    "#",
    "@",      ":",      "[",     "]",    "::1",     "80", "99999", "%",  "%2F",  "%FF",
    "%C3%A9", "+",      "=",     "&",    "a",       "B",  "1.2.3", ".",  "..",   " ",
    "\t",     "é",      "ß",     "xn--", "0x",      "-",  "<",     "^",  "\xFF", "\xED\xA0\x80",
    "\xC2\x80",         "\xDF\xBF",         "\xE0\xA0\x80",     "\xE1\x80\x80",
    "\xEF\xBF\xBF",     "\xF0\x90\x80\x80", "\xF1\x80\x80\x80", "\xF3\xBF\xBF\xBF",
    "\xF4\x8F\xBF\xBF",
};

// `valid`: no piece that is not UTF-8 (the last two of the first block) was used.
std::string random_text(std::mt19937& rng, bool& valid) {
    std::uniform_int_distribution<std::size_t> count(0, 10);
    std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
    std::string out;
    valid = true;
    for (std::size_t i = count(rng); i > 0; --i) {
        const std::string& next = kPieces[piece(rng)];
        valid = valid && next != "\xFF" && next != "\xED\xA0\x80";
        out += next;
    }
    return out;
}

TEST(UrlFunctionsOnRandomInput, GiveTheirOwnErrorsOrValidText) {
    const std::vector<std::string> one_arg = {"URL_SCHEME", "URL_HOST",   "URL_PORT",
                                              "URL_PATH",   "URL_QUERY",  "URL_FRAGMENT",
                                              "URL_VALID",  "URL_ENCODE", "URL_DECODE"};
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) {
        bool valid_a, valid_b;
        std::string a = random_text(rng, valid_a);
        std::string b = random_text(rng, valid_b);
        ASSERT_EQ(is_valid_utf8(a), valid_a) << ::testing::PrintToString(a);
        const bool valid_input = valid_a && valid_b;
        std::vector<std::pair<std::string, std::vector<core::CellValue>>> calls;
        for (const std::string& name : one_arg) calls.push_back({name, {text(a)}});
        calls.push_back({"URL_PARAM", {text(a), text(b)}});
        calls.push_back({"URL_JOIN", {text(a), text(b)}});
        calls.push_back({"URL_PATH_SEGMENT", {text(a), core::CellValue::number(i % 7 - 3)}});
        if (valid_input) {
            const std::string encoded = call("URL_ENCODE", {text(a)});
            EXPECT_EQ(encoded.find_first_not_of(
                          "%0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
                      std::string::npos)
                << encoded;
            EXPECT_EQ(call("URL_DECODE", {text(encoded)}), a) << encoded;
        }
        for (const auto& [name, args] : calls) {
            core::CellValue result = call_value(name, args);
            if (result.is_error()) {
                EXPECT_EQ(result.error_kind(), core::ErrorKind::Value);
                EXPECT_EQ(result.error_message().substr(0, name.size() + 2), name + ": ")
                    << ::testing::PrintToString(a);
            } else if (result.is_text() && valid_input) {
                EXPECT_TRUE(is_valid_utf8(result.text_view()))
                    << name << " " << ::testing::PrintToString(a);
            }
        }
    }
}

}  // namespace
}  // namespace orvel::url::testing
