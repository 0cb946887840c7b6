// The WHATWG URL conformance data (web-platform-tests urltestdata.json) run through the URL
// functions: every entry is its own test case.
#include <gtest/gtest.h>

#include <charconv>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "call_helpers.h"
#include "json.h"

namespace orvel::url::testing {
namespace {

struct Entry {
    std::size_t index;  // position in the file's array, comments included
    Json data;
};

std::vector<Entry> load_entries() {
    std::ifstream file(ORVEL_URL_TESTDATA_DIR "/urltestdata.json", std::ios::binary);
    if (!file) return {};
    std::stringstream content;
    content << file.rdbuf();
    Json all = JsonReader::parse(content.str());
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < all.items.size(); ++i) {
        if (all.items[i].kind == Json::Kind::Object) entries.push_back({i, all.items[i]});
    }
    return entries;
}

const std::vector<Entry>& entries() {
    static const std::vector<Entry> loaded = load_entries();
    return loaded;
}

std::string without_first(const std::string& text, char prefix) {
    return !text.empty() && text.front() == prefix ? text.substr(1) : text;
}

double port_number(const std::string& port) {
    double value = 0;
    std::from_chars(port.data(), port.data() + port.size(), value);
    return value;
}

class UrlConformance : public ::testing::TestWithParam<Entry> {};

TEST_P(UrlConformance, FunctionsAgreeWithTheExpectedComponents) {
    const Json& data = GetParam().data;
    const std::string& input = data.at("input").text;
    const bool has_base = data.has("base") && data.at("base").kind == Json::Kind::String;
    const bool failure = data.has("failure") && data.at("failure").boolean;
    SCOPED_TRACE("input " + ::testing::PrintToString(input) +
                 (has_base ? " base " + ::testing::PrintToString(data.at("base").text) : ""));

    std::string href = input;
    if (has_base) {
        core::CellValue joined = call_value("URL_JOIN", {text(data.at("base").text), text(input)});
        if (failure) {
            EXPECT_TRUE(joined.is_error()) << joined.display();
            return;
        }
        ASSERT_TRUE(joined.is_text()) << joined.display();
        EXPECT_EQ(joined.text_view(), data.at("href").text);
        href = std::string(joined.text_view());
    } else {
        EXPECT_EQ(call("URL_VALID", {text(input)}), failure ? "FALSE" : "TRUE");
        if (failure) return;
    }

    std::string scheme = data.at("protocol").text;
    if (!scheme.empty() && scheme.back() == ':') scheme.pop_back();
    EXPECT_EQ(call("URL_SCHEME", {text(href)}), scheme);
    EXPECT_EQ(call("URL_HOST", {text(href)}), data.at("hostname").text);
    EXPECT_EQ(call_value("URL_PORT", {text(href)}),
              core::CellValue::number(port_number(data.at("port").text)));
    EXPECT_EQ(call("URL_PATH", {text(href)}), data.at("pathname").text);
    EXPECT_EQ(call("URL_QUERY", {text(href)}), without_first(data.at("search").text, '?'));
    EXPECT_EQ(call("URL_FRAGMENT", {text(href)}), without_first(data.at("hash").text, '#'));
}

INSTANTIATE_TEST_SUITE_P(UrlTestData, UrlConformance, ::testing::ValuesIn(entries()),
                         [](const ::testing::TestParamInfo<Entry>& param_info) {
                             return "Entry" + std::to_string(param_info.param.index);
                         });

TEST(UrlConformanceData, IsPresentAndComplete) {
    EXPECT_EQ(entries().size(), 891u);
}

}  // namespace
}  // namespace orvel::url::testing
