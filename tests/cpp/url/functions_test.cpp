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

TEST(UrlComponents, FollowTheParsersNormalisation) {
    check_rows({
        {"URL_SCHEME", {text("HTTPS://Example.com/")}, text("https")},
        {"URL_SCHEME", {text("mailto:someone@example.com")}, text("mailto")},
        {"URL_HOST", {text("https://ExAmple.COM/x")}, text("example.com")},
        {"URL_HOST", {text("https://Bücher.example/")}, text("xn--bcher-kva.example")},
        {"URL_HOST", {text("http://[::1]:8080/")}, text("[::1]")},
        {"URL_HOST", {text("http://0x7f.1/")}, text("127.0.0.1")},
        {"URL_HOST", {text("foo://ExAmple.com/x")}, text("ExAmple.com")},
        {"URL_HOST", {text("mailto:x@example.com")}, text("")},
        {"URL_HOST", {text("file:///etc/hosts")}, text("")},
        {"URL_HOST", {text("file://localhost/x")}, text("")},
        {"URL_PATH", {text("https://example.com")}, text("/")},
        {"URL_PATH", {text("https://example.com/a/../b/./c")}, text("/b/c")},
        {"URL_PATH", {text("mailto:someone@example.com")}, text("someone@example.com")},
        {"URL_PATH", {text("foo://host")}, text("")},
        {"URL_QUERY", {text("https://example.com/p?a=1&b=%20#top")}, text("a=1&b=%20")},
        {"URL_QUERY", {text("https://example.com/p?a b")}, text("a%20b")},
        {"URL_QUERY", {text("https://example.com/p?")}, text("")},
        {"URL_QUERY", {text("https://example.com/p#top")}, text("")},
        {"URL_FRAGMENT", {text("https://example.com/p?a=1&b=%20#top")}, text("top")},
        {"URL_FRAGMENT", {text("https://example.com/p?a=1")}, text("")},
        {"URL_FRAGMENT", {text("https://example.com/p##x")}, text("#x")},
    });
}

TEST(UrlPort, IsZeroWithoutAnExplicitNonDefaultPort) {
    check_rows({
        {"URL_PORT", {text("http://[::1]:8080/")}, number(8080)},
        {"URL_PORT", {text("https://example.com:443/")}, number(0)},
        {"URL_PORT", {text("http://example.com:080/")}, number(0)},
        {"URL_PORT", {text("http://example.com:8080/")}, number(8080)},
        {"URL_PORT", {text("https://example.com/")}, number(0)},
        {"URL_PORT", {text("foo://h:0/")}, number(0)},
        {"URL_PORT", {text("foo://h:65535/")}, number(65535)},
        {"URL_PORT", {text("ws://h:443/")}, number(443)},
    });
}

TEST(UrlPathSegment, SelectsDecodedNonEmptySegmentsFromEitherEnd) {
    const CellValue url = text("https://example.com/a//b/c%20d");
    check_rows({
        {"URL_PATH_SEGMENT", {url, number(-1)}, text("c d")},
        {"URL_PATH_SEGMENT", {url, number(2)}, text("b")},
        {"URL_PATH_SEGMENT", {url, number(1)}, text("a")},
        {"URL_PATH_SEGMENT", {url, number(-3)}, text("a")},
        {"URL_PATH_SEGMENT", {url, number(4)}, text("")},
        {"URL_PATH_SEGMENT", {url, number(-4)}, text("")},
        {"URL_PATH_SEGMENT", {url, text("2")}, text("b")},
        {"URL_PATH_SEGMENT", {url, boolean(true)}, text("a")},
        {"URL_PATH_SEGMENT", {text("https://example.com/a/b/"), number(-1)}, text("b")},
        {"URL_PATH_SEGMENT", {text("foo://host"), number(1)}, text("")},
        {"URL_PATH_SEGMENT", {text("mailto:someone@example.com"), number(1)}, text("")},
    });
}

TEST(UrlPathSegment, HugeIndexesSelectNothing) {
    const CellValue url = text("https://example.com/a/b");
    const double max = std::numeric_limits<double>::max();
    check_rows({
        {"URL_PATH_SEGMENT", {url, number(-1e300)}, text("")},
        {"URL_PATH_SEGMENT", {url, number(1e300)}, text("")},
        {"URL_PATH_SEGMENT", {url, number(-max)}, text("")},
        {"URL_PATH_SEGMENT", {url, number(9223372036854775808.0)}, text("")},
        {"URL_PATH_SEGMENT", {url, number(-9223372036854775808.0)}, text("")},
    });
}

TEST(UrlPathSegment, ChecksTheIndexAfterTheUrlAndBeforeThePathKind) {
    const CellValue url = text("https://example.com/a");
    const CellValue whole = value_error("URL_PATH_SEGMENT: index must be a non-zero whole number");
    check_rows({
        {"URL_PATH_SEGMENT", {url, number(0)}, whole},
        {"URL_PATH_SEGMENT", {url, number(1.5)}, whole},
        {"URL_PATH_SEGMENT", {url, number(std::nan(""))}, whole},
        {"URL_PATH_SEGMENT", {url, number(INFINITY)}, whole},
        {"URL_PATH_SEGMENT", {url, text("inf")}, whole},
        {"URL_PATH_SEGMENT", {url, boolean(false)}, whole},
        {"URL_PATH_SEGMENT", {text("mailto:x"), number(0)}, whole},
        {"URL_PATH_SEGMENT",
         {url, text("two")},
         value_error("URL_PATH_SEGMENT: arg #2 must be a number")},
        {"URL_PATH_SEGMENT",
         {url, CellValue::empty()},
         value_error("URL_PATH_SEGMENT: arg #2 must be a number")},
        {"URL_PATH_SEGMENT",
         {text("abc"), number(0)},
         value_error("URL_PATH_SEGMENT: invalid URL (relative URL without a base)")},
        {"URL_PATH_SEGMENT",
         {text("https://example.com/%FF"), number(1)},
         value_error("URL_PATH_SEGMENT: segment is not valid UTF-8")},
    });
}

TEST(UrlParam, ReadsTheFirstMatchingFormPair) {
    const CellValue url = text("https://example.com/s?q=a+b&q=c");
    check_rows({
        {"URL_PARAM", {url, text("q")}, text("a b")},
        {"URL_PARAM", {url, text("Q")}, text("")},
        {"URL_PARAM", {text("https://example.com/s"), text("q")}, text("")},
        {"URL_PARAM", {text("https://example.com/?a=%2B&b=%FF"), text("a")}, text("+")},
        {"URL_PARAM", {text("https://example.com/?a=%2B&b=%FF"), text("b")}, text("\uFFFD")},
        {"URL_PARAM", {text("https://example.com/??x=1"), text("?x")}, text("1")},
        {"URL_PARAM", {text("https://example.com/?a+b=1"), text("a b")}, text("1")},
        {"URL_PARAM", {text("https://example.com/?a+b=1"), text("a+b")}, text("")},
        {"URL_PARAM", {text("https://example.com/?k=v=w#k=z"), text("k")}, text("v=w")},
        {"URL_PARAM", {url, number(1)}, value_error("URL_PARAM: arg #2 must be text")},
        {"URL_PARAM",
         {text("nope"), number(1)},
         value_error("URL_PARAM: invalid URL (relative URL without a base)")},
    });
}

TEST(UrlValid, TellsAbsoluteUrlsFromEverythingElse) {
    check_rows({
        {"URL_VALID", {text("https://example.com/")}, boolean(true)},
        {"URL_VALID", {text("mailto:x")}, boolean(true)},
        {"URL_VALID", {text("/relative/path")}, boolean(false)},
        {"URL_VALID", {text("")}, boolean(false)},
        {"URL_VALID", {text("http://")}, boolean(false)},
        {"URL_VALID", {text(std::string_view("http://a\0b/", 11))}, boolean(false)},
        {"URL_VALID", {text("http://\xFF/")}, boolean(false)},
        {"URL_VALID", {number(1)}, value_error("URL_VALID: arg #1 must be text")},
    });
}

TEST(UrlEncodeDecode, EncodeEverythingButLettersAndDigits) {
    check_rows({
        {"URL_ENCODE", {text("a b&c")}, text("a%20b%26c")},
        {"URL_ENCODE", {text("é")}, text("%C3%A9")},
        {"URL_ENCODE", {text("-._~+Az09")}, text("%2D%2E%5F%7E%2BAz09")},
        {"URL_ENCODE", {text(std::string_view("\0", 1))}, text("%00")},
        {"URL_ENCODE", {text("")}, text("")},
        {"URL_DECODE", {text("a%20b+c")}, text("a b+c")},
        {"URL_DECODE", {text("100%")}, text("100%")},
        {"URL_DECODE", {text("%4a%4A%zz%4")}, text("JJ%zz%4")},
        {"URL_DECODE", {text("%C3%A9")}, text("é")},
        {"URL_DECODE", {text("%FF")}, value_error("URL_DECODE: result is not valid UTF-8")},
        {"URL_DECODE", {text("%C0%80")}, value_error("URL_DECODE: result is not valid UTF-8")},
        {"URL_ENCODE", {boolean(true)}, value_error("URL_ENCODE: arg #1 must be text")},
    });
}

TEST(UrlJoin, ResolvesReferencesAgainstTheBase) {
    const CellValue base = text("https://example.com/a/b?q#f");
    check_rows({
        {"URL_JOIN",
         {text("https://example.com/a/b"), text("../c")},
         text("https://example.com/c")},
        {"URL_JOIN", {base, text("?z")}, text("https://example.com/a/b?z")},
        {"URL_JOIN", {base, text("")}, text("https://example.com/a/b?q")},
        {"URL_JOIN", {base, text("#g")}, text("https://example.com/a/b?q#g")},
        {"URL_JOIN", {base, text("//b.org/p")}, text("https://b.org/p")},
        {"URL_JOIN", {base, text("https:z")}, text("https://example.com/a/z")},
        {"URL_JOIN", {base, text("mailto:x")}, text("mailto:x")},
        {"URL_JOIN", {text("mailto:x"), text("#y")}, text("mailto:x#y")},
        {"URL_JOIN",
         {text("mailto:x"), text("foo")},
         value_error("URL_JOIN: relative URL with a cannot-be-a-base base")},
        {"URL_JOIN", {base, text("//:80/")}, value_error("URL_JOIN: empty host")},
        {"URL_JOIN", {base, text("http://h:99999/")}, value_error("URL_JOIN: invalid port number")},
        {"URL_JOIN",
         {text("/x"), number(1)},
         value_error("URL_JOIN: invalid URL (relative URL without a base)")},
        {"URL_JOIN", {base, number(1)}, value_error("URL_JOIN: arg #2 must be text")},
    });
}

TEST(UrlFunctions, CheckTheArgumentCountFirstAndTakeOnlyText) {
    check_rows({
        {"URL_HOST",
         {text("https://a.com/"), text("https://b.com/")},
         value_error("URL_HOST: expected 1 arg")},
        {"URL_HOST", {}, value_error("URL_HOST: expected 1 arg")},
        {"URL_JOIN", {text("https://a.com/")}, value_error("URL_JOIN: expected 2 args")},
        {"URL_PARAM", {number(1)}, value_error("URL_PARAM: expected 2 args")},
        {"URL_HOST", {number(1)}, value_error("URL_HOST: arg #1 must be text")},
        {"URL_SCHEME", {CellValue::empty()}, value_error("URL_SCHEME: arg #1 must be text")},
        {"URL_PORT",
         {CellValue::error(ErrorKind::NotAvailable)},
         value_error("URL_PORT: arg #1 must be text")},
        {"URL_PATH",
         {CellValue::custom("jdate", "2024-01-31")},
         value_error("URL_PATH: arg #1 must be text")},
        {"URL_HOST",
         {text("abc")},
         value_error("URL_HOST: invalid URL (relative URL without a base)")},
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
