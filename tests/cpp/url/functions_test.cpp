// What the URL functions add to the parser (components and joins: conformance_test.cpp):
// registration, argument checks, index and text rules, messages, and calls from formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "call_helpers.h"
#include "core/eval.h"

namespace orvel::url::testing {
namespace {

using core::CellValue;

CellValue number(double n) { return CellValue::number(n); }
CellValue boolean(bool b) { return CellValue::boolean(b); }

const std::vector<std::string> kTableOrder = {
    "URL_SCHEME",   "URL_HOST",  "URL_PORT",  "URL_PATH",   "URL_PATH_SEGMENT", "URL_QUERY",
    "URL_FRAGMENT", "URL_PARAM", "URL_VALID", "URL_ENCODE", "URL_DECODE",       "URL_JOIN"};

TEST(UrlRegistration, RegistersTheTwelveFunctionsInTableOrder) {
    std::vector<std::string> names;
    for (const auto& function : url_registry().functions()) names.emplace_back(function->name());
    EXPECT_EQ(names, kTableOrder);
}

CellValue value_error(std::string_view message) {
    return CellValue::error(core::FormulaError::value(message));
}

struct Row {
    std::string function;
    std::vector<CellValue> args;
    CellValue expected;
};

TEST(UrlFunctions, ApplyTheirOwnArgumentAndTextRules) {
    const CellValue url = text("https://example.com/a//b/c%20d");
    const double max = std::numeric_limits<double>::max();
    const CellValue whole = value_error("URL_PATH_SEGMENT: index must be a non-zero whole number");
    const CellValue not_number = value_error("URL_PATH_SEGMENT: arg #2 must be a number");
    const std::vector<Row> rows = {
        // Non-empty segments, decoded, counted from either end; nothing past either end.
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
        // The index is checked after the URL and before the kind of path.
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
        {"URL_PARAM", {text("https://example.com/?k=v=w#k=z"), text("k")}, text("v=w")},
        {"URL_PARAM",
         {text("https://example.com/s?q=1"), number(1)},
         value_error("URL_PARAM: arg #2 must be text")},
        {"URL_VALID", {text("")}, boolean(false)},
        {"URL_VALID", {text(std::string_view("http://a\0b/", 11))}, boolean(false)},
        {"URL_VALID", {text("http://\xFF/")}, boolean(false)},
        {"URL_ENCODE", {text("-._~+AZaz09")}, text("%2D%2E%5F%7E%2BAZaz09")},
        {"URL_ENCODE", {text(std::string_view("\0", 1))}, text("%00")},
        {"URL_DECODE", {text("a%20b+c")}, text("a b+c")},
        {"URL_DECODE", {text("%C0%80")}, value_error("URL_DECODE: result is not valid UTF-8")},
        {"URL_HOST",
         {text("abc")},
         value_error("URL_HOST: invalid URL (relative URL without a base)")},
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
    };
    for (const Row& row : rows) {
        std::string call_text = row.function;
        for (const CellValue& arg : row.args) call_text += " '" + arg.display() + "'";
        CellValue actual = call_value(row.function, row.args);
        EXPECT_EQ(actual, row.expected) << call_text << " gave " << actual.display();
    }
}

TEST(UrlFormulas, EvaluateThroughTheRegistryInAnyLetterCase) {
    core::Evaluator evaluator(core::empty_lookup(), 1000, 26, url_registry());
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"=url_host(\"https://Example.COM/x\")", "example.com"},
        {"=URL_PATH_SEGMENT(URL_JOIN(\"https://a.com/docs/x\", \"../api/v2/items\"), -1)", "items"},
        {"=URL_PARAM(\"https://a.com/?page=2\", \"page\")*10", "20"},
        {"=URL_SCHEME(TRUE)", "#VALUE! URL_SCHEME: arg #1 must be text"},
    };
    for (const auto& [formula, display] : rows) {
        auto result = evaluator.evaluate(formula);
        EXPECT_EQ(result ? result->display() : result.error().display(), display) << formula;
    }
}

}  // namespace
}  // namespace orvel::url::testing
