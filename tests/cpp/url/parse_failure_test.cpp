// Why a URL did not parse (URL_HOST) or a reference did not resolve against a base (URL_JOIN).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "call_helpers.h"

namespace orvel::url::testing {
namespace {

struct FailureRow {
    std::string base, input, description;  // an empty base: the input parsed alone
};

TEST(FailureDescription, NamesThePartOfTheUrlThatFailed) {
    const std::vector<FailureRow> rows = {
        {"", "", "relative URL without a base"},
        {"", "1http://x/", "relative URL without a base"},
        {"", "ab/x", "relative URL without a base"},
        {"", "zA+a-Z.09://a b/", "invalid domain character"},
        {"", "z://a b/", "invalid domain character"},
        {"", " http:// ", "empty host"},
        {"", "ftp://a b/", "invalid international domain name"},
        {"", "foo://u@/", "empty host"},
        {"", "http:", "empty host"},
        {"", "http://user@/", "empty host"},
        {"", "  HT\tTP://:80  ", "empty host"},
        {"", "http://[::1/", "invalid IPv6 address"},
        {"", "http://a b/", "invalid international domain name"},
        {"", "http://ex ample.1:abc/", "invalid international domain name"},
        {"", "http://1.2.3.256/", "invalid IPv4 address"},
        {"", "http://a.0x100000000./", "invalid IPv4 address"},
        {"", "ws://1.2.3.4.5:abc/", "invalid IPv4 address"},
        {"", "http://example.com:65536/", "invalid port number"},
        {"", "http://example.com:80:80/", "invalid port number"},
        {"", "http://[::1]:abc/", "invalid port number"},
        {"", "file://h:80/", "invalid international domain name"},
        {"", "file://a b/x", "invalid international domain name"},
        {"", "file://[::1/", "invalid IPv6 address"},
        {"", "file://1.2.3.4.5/x", "invalid IPv4 address"},
        {"", "foo://a^b:1/", "invalid domain character"},
        {"", "foo://:80/", "empty host"},
        {"", "foo://h:99999/", "invalid port number"},
        {"", "foo://h:1\\x", "invalid port number"},
        {"", "foo://[::1/", "invalid IPv6 address"},
        {"mailto:x", "foo", "relative URL with a cannot-be-a-base base"},
        {"mailto:x", "", "relative URL with a cannot-be-a-base base"},
        {"mailto:x", "http://[::1/", "invalid IPv6 address"},
        {"https://example.com/", "//:80/", "empty host"},
        {"https://example.com/", "//", "empty host"},
        {"https://example.com/", "http:1.2.3.4.5", "invalid IPv4 address"},
        {"https://example.com/", "https://1.2.3.4.5/", "invalid IPv4 address"},
        {"https://example.com/", "\\\\a b/", "invalid international domain name"},
        {"https://example.com/", "//1.2.3.4.5", "invalid IPv4 address"},
        {"https://example.com/", "http://1.2.3.4.5/", "invalid IPv4 address"},
        {"https://example.com/", "foo://h:x/", "invalid port number"},
        {"foo://h/", "//a b/", "invalid domain character"},
        {"file:///x", "//h:80/", "invalid international domain name"},
    };
    for (const FailureRow& row : rows) {
        if (row.base.empty()) {
            EXPECT_EQ(call("URL_HOST", {text(row.input)}),
                      "#VALUE! URL_HOST: invalid URL (" + row.description + ")")
                << row.input;
        } else {
            EXPECT_EQ(call("URL_JOIN", {text(row.base), text(row.input)}),
                      "#VALUE! URL_JOIN: " + row.description)
                << row.base << " + " << row.input;
        }
    }
}

}  // namespace
}  // namespace orvel::url::testing
