// What the URL functions add to the parser: argument checks, index and text rules, messages.
// Components and joining follow the conformance data (conformance_test.cpp), failure reasons
// parse_failure_test.cpp, form pairs form_test.cpp, decoding percent_test.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "call_helpers.h"

namespace orvel::url::testing {
namespace {

using core::CellValue;
using core::ErrorKind;
using core::FormulaError;

CellValue value_error(std::string_view message) {
    return CellValue::error(FormulaError::value(message));
}

struct Row {
    std::string function;
    std::vector<CellValue> args;
    CellValue expected;
};

std::string describe(const Row& row) {
    std::string out = row.function + "(";
    for (std::size_t i = 0; i < row.args.size(); ++i) {
        if (i > 0) out += ", ";
        out += row.args[i].is_text() ? "\"" + row.args[i].display() + "\"" : row.args[i].display();
    }
    return out + ")";
}

void check_rows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        CellValue actual = call_value(row.function, row.args);
        EXPECT_EQ(actual, row.expected) << describe(row) << " gave " << actual.display()
                                        << ", expected " << row.expected.display();
    }
}

TEST(UrlPathSegment, SelectsDecodedNonEmptySegmentsAndNothingPastEitherEnd) {
    const CellValue url = text("https://example.com/a//b/c%20d");
    const double max = std::numeric_limits<double>::max();
    check_rows({
        {"URL_PATH_SEGMENT", {url, number(-1)}, text("c d")},
        {"URL_PATH_SEGMENT", {url, number(2)}, text("b")},
        {"URL_PATH_SEGMENT", {url, number(4)}, text("")},
        {"URL_PATH_SEGMENT", {url, number(-4)}, text("")},
        {"URL_PATH_SEGMENT", {url, text("2")}, text("b")},
        {"URL_PATH_SEGMENT", {url, boolean(true)}, text("a")},
        {"URL_PATH_SEGMENT", {text("https://example.com/a/b/"), number(-1)}, text("b")},
        {"URL_PATH_SEGMENT", {text("mailto:someone@example.com"), number(1)}, text("")},
        {"URL_PATH_SEGMENT", {url, number(-max)}, text("")},
        {"URL_PATH_SEGMENT", {url, number(9223372036854775808.0)}, text("")},
        {"URL_PATH_SEGMENT", {url, number(-9223372036854775808.0)}, text("")},
    });
}

TEST(UrlPathSegment, ChecksTheIndexAfterTheUrlAndBeforeThePathKind) {
    const CellValue url = text("https://example.com/a");
    const CellValue whole = value_error("URL_PATH_SEGMENT: index must be a non-zero whole number");
    const CellValue not_number = value_error("URL_PATH_SEGMENT: arg #2 must be a number");
    check_rows({
        {"URL_PATH_SEGMENT", {url, number(0)}, whole},
        {"URL_PATH_SEGMENT", {url, number(1.5)}, whole},
        {"URL_PATH_SEGMENT", {url, number(std::nan(""))}, whole},
        {"URL_PATH_SEGMENT", {url, text("inf")}, whole},
        {"URL_PATH_SEGMENT", {url, boolean(false)}, whole},
        {"URL_PATH_SEGMENT", {text("mailto:x"), number(0)}, whole},
        {"URL_PATH_SEGMENT", {url, text("two")}, not_number},
        {"URL_PATH_SEGMENT", {url, CellValue::empty()}, not_number},
        {"URL_PATH_SEGMENT",
         {text("https://example.com/%FF"), number(1)},
         value_error("URL_PATH_SEGMENT: segment is not valid UTF-8")},
    });
}

TEST(UrlFunctions, TextRulesOfTheirOwn) {
    check_rows({
        {"URL_PARAM", {text("https://example.com/?k=v=w#k=z"), text("k")}, text("v=w")},
        {"URL_PARAM",
         {text("https://example.com/s?q=1"), number(1)},
         value_error("URL_PARAM: arg #2 must be text")},
        {"URL_VALID", {text("")}, boolean(false)},
        {"URL_VALID", {text(std::string_view("http://a\0b/", 11))}, boolean(false)},
        {"URL_VALID", {text("http://\xFF/")}, boolean(false)},
        {"URL_ENCODE", {text("-._~+Az09")}, text("%2D%2E%5F%7E%2BAz09")},
        {"URL_ENCODE", {text(std::string_view("\0", 1))}, text("%00")},
        {"URL_DECODE", {text("a%20b+c")}, text("a b+c")},
        {"URL_DECODE", {text("%C0%80")}, value_error("URL_DECODE: result is not valid UTF-8")},
        {"URL_JOIN",
         {text("/x"), number(1)},
         value_error("URL_JOIN: invalid URL (relative URL without a base)")},
        {"URL_JOIN",
         {text("https://a.com/"), number(1)},
         value_error("URL_JOIN: arg #2 must be text")},
        {"URL_HOST",
         {text("https://a.com/"), text("https://b.com/")},
         value_error("URL_HOST: expected 1 arg")},
        {"URL_JOIN", {text("https://a.com/")}, value_error("URL_JOIN: expected 2 args")},
    });
}

TEST(UrlFunctions, ErrorTextsReadBackAsValueErrorsWithTheMessage) {
    auto result = url_registry().find_function("url_host")->call(std::vector{text("abc")});
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error(), "#VALUE! URL_HOST: invalid URL (relative URL without a base)");
    FormulaError error = FormulaError::from(result.error());
    EXPECT_EQ(error.kind(), ErrorKind::Value);
    EXPECT_EQ(error.message(), "URL_HOST: invalid URL (relative URL without a base)");
}

}  // namespace
}  // namespace orvel::url::testing
