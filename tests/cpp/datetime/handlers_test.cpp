#include "datetime/handlers.h"

#include <gtest/gtest.h>

#include <memory>

#include "function_test_support.h"

namespace orvel::datetime {
namespace {

using core::BinaryOpCode;
using core::CellValue;
using core::CompareOp;

// The six handlers in the order the package registers them; literals are offered in this order.
const core::Registry& registry() { return testing::package_registry(); }

TEST(Registration, AddsSixHandlersThenFiftyTwoFunctions) {
    std::vector<std::string_view> tags;
    for (const auto& handler : registry().types()) tags.push_back(handler->type_tag());
    EXPECT_EQ(tags, (std::vector<std::string_view>{"jzoned", "jdatetime", "jdate", "jtime", "jspan",
                                                   "jtimezone"}));
    EXPECT_EQ(registry().functions().size(), 52u);
}

struct LiteralCase {
    std::string text;
    std::string tag;  // empty: no handler takes it
    std::string payload;
};

class Literals : public ::testing::TestWithParam<LiteralCase> {};

TEST_P(Literals, FirstHandlerWhoseShapeAndParserAcceptTakesTheText) {
    const auto& c = GetParam();
    auto value = registry().parse_literal(c.text);
    if (c.tag.empty()) {
        EXPECT_FALSE(value.has_value()) << c.text << " -> " << (value ? value->custom_tag() : "");
        return;
    }
    ASSERT_TRUE(value.has_value()) << c.text;
    EXPECT_EQ(value->custom_tag(), c.tag) << c.text;
    EXPECT_EQ(value->custom_data(), c.payload) << c.text;
}

// tests/python/test_datetime.py reads more literals into typed values.
INSTANTIATE_TEST_SUITE_P(
    Table, Literals,
    ::testing::Values(
        LiteralCase{"2024-06-15", "jdate", "2024-06-15"}, LiteralCase{"2024-6-15", "", ""},
        LiteralCase{"2024-06-15T10:30", "jdatetime", "2024-06-15T10:30:00"},
        LiteralCase{"2024-06-15 10:30", "", ""}, LiteralCase{"2024-06-15T10", "", ""},
        LiteralCase{"2024-06-15t10:30", "", ""}, LiteralCase{"12:30", "jtime", "12:30:00"},
        LiteralCase{"19:59:59.999999999", "jtime", "19:59:59.999999999"},
        LiteralCase{"9:30", "", ""}, LiteralCase{"12:30:00.1234567890", "", ""},
        LiteralCase{"1d", "jspan", "P1D"}, LiteralCase{"9h", "jspan", "PT9H"},
        LiteralCase{"+P1D", "jspan", "P1D"}, LiteralCase{"P1D", "jspan", "P1D"},
        LiteralCase{"1h 30m", "jspan", "PT1H30M"},
        LiteralCase{"2024-01-15T09:30:00-05:00[America/New_York]", "jzoned",
                    "2024-01-15T09:30:00-05:00[America/New_York]"},
        LiteralCase{"2024-01-15T09:30:00[Mars/Base]", "", ""},
        LiteralCase{"2024-01-15T0930[UTC]", "jzoned", "2024-01-15T09:30:00+00:00[UTC]"},
        LiteralCase{"2024-01-15T09:30:00+05:30[+05:30]", "jzoned",
                    "2024-01-15T09:30:00+05:30[+05:30]"},
        LiteralCase{"UTC", "", ""}, LiteralCase{"", "", ""}));

CellValue jdate(std::string_view p) { return CellValue::custom("jdate", p); }
CellValue jtime(std::string_view p) { return CellValue::custom("jtime", p); }
CellValue jdatetime(std::string_view p) { return CellValue::custom("jdatetime", p); }
CellValue jzoned(std::string_view p) { return CellValue::custom("jzoned", p); }
CellValue jspan(std::string_view p) { return CellValue::custom("jspan", p); }
CellValue jtz(std::string_view p) { return CellValue::custom("jtimezone", p); }

// The first handler that answers, in registration order, the way the engine asks.
core::BinaryOpAnswer op(BinaryOpCode code, const CellValue& a, const CellValue& b) {
    for (const auto& handler : registry().types()) {
        auto answer = handler->binary_op(code, a, b);
        if (answer.handled()) return answer;
    }
    return {};
}

core::CompareAnswer cmp(CompareOp code, const CellValue& a, const CellValue& b) {
    for (const auto& handler : registry().types()) {
        auto answer = handler->compare(code, a, b);
        if (answer.handled()) return answer;
    }
    return {};
}

std::string result_text(const core::BinaryOpAnswer& a) {
    if (!a.handled()) return "<not handled>";
    if (a.is_error()) return "error: " + a.error_text();
    return std::string(a.value().custom_tag()) + " " + std::string(a.value().custom_data());
}

struct OpCase {
    BinaryOpCode code;
    CellValue left, right;
    std::string expected;
};

std::string kind(const CellValue& v) {
    return v.is_custom() ? std::string(v.custom_tag()) : v.display();
}

class Operators : public ::testing::TestWithParam<OpCase> {};

TEST_P(Operators, AnswerOnlyTheListedOperandKinds) {
    const auto& c = GetParam();
    EXPECT_EQ(result_text(op(c.code, c.left, c.right)), c.expected)
        << kind(c.left) << " " << static_cast<int>(c.code) << " " << kind(c.right);
}

const std::string kTimeCalendarMinus =
    "error: #VALUE! jtime - jspan: span has calendar units (years/months/weeks/days), which time "
    "has no anchor for";
const std::string kWhole =
    "error: #VALUE! span * value: scalar must be a whole number (fractional scaling not supported "
    "in v1)";

using enum BinaryOpCode;
const OpCase kOps[] = {
    {Add, jspan("P1M"), jdate("2024-01-31"), "jdate 2024-02-29"},
    {Sub, jdate("2024-03-31"), jspan("P1M"), "jdate 2024-02-29"},
    {Add, jdate("2024-01-01"), jdate("2024-01-01"), "<not handled>"},
    {Sub, jspan("P1D"), jdate("2024-01-01"), "<not handled>"},
    {Sub, jdate("2024-01-01"), jdatetime("2024-01-01T00:00:00"), "<not handled>"},
    {Sub, jtime("01:00:00"), jspan("PT2H"), "jtime 23:00:00"},
    {Sub, jtime("23:30:00"), jspan("P1D"), kTimeCalendarMinus},
    {Sub, jtime("10:30:00"), jtime("09:00:00"), "jspan PT1H30M"},
    {Add, jdatetime("2024-01-31T23:00:00"), jspan("PT2H"), "jdatetime 2024-02-01T01:00:00"},
    {Sub, jdatetime("2024-01-02T02:00:00"), jdatetime("2024-01-01T00:00:00"), "jspan P1DT2H"},
    {Add, jzoned("2024-03-09T12:00:00-05:00[America/New_York]"), jspan("P1DT2H"),
     "jzoned 2024-03-10T14:00:00-04:00[America/New_York]"},
    {Add, jzoned("2024-02-15T12:00:00-05:00[America/New_York]"), jspan("P1M"),
     "jzoned 2024-03-15T12:00:00-04:00[America/New_York]"},
    {Sub, jzoned("2024-03-10T12:00:00-04:00[America/New_York]"), jspan("PT24H"),
     "jzoned 2024-03-09T11:00:00-05:00[America/New_York]"},
    {Sub, jzoned("2024-01-03T00:00:00+00:00[UTC]"), jzoned("2024-01-01T00:00:00+00:00[UTC]"),
     "jspan PT48H"},
    {Add, jspan("PT1H"), jspan("PT90M"), "jspan PT2H30M"},
    {Sub, jspan("P1M"), jspan("P1D"), "jspan P30D"},
    {Mul, jspan("P1D"), CellValue::boolean(true), "jspan P1D"},
    {Mul, CellValue::number(-2), jspan("P1D"), "jspan -P2D"},
    {Mul, jspan("P1D"), CellValue::text("3"), "jspan P3D"},
    {Mul, jspan("P1D"), CellValue(), "error: #VALUE! span * value: scalar must be a number"},
    {Mul, jspan("P1D"), CellValue::number(1.0 / 0.0), kWhole},
    {Mul, jspan("P1D"), CellValue::number(9223372036854775808.0), kWhole},
    {Mul, jspan("P1D"), CellValue::number(-9223372036854775808.0),
     "error: parameter 'multiplier' with value -9223372036854775808 is not in the "
     "required range of "
     "-9223372036854775807..=9223372036854775807"},
    {Mul, jspan("P1D"), jspan("P1D"), "<not handled>"},
    {Add, jspan("P1D"), CellValue::number(5), "<not handled>"},
    {Div, jdate("2024-01-01"), jspan("P1D"), "<not handled>"},
    {Mul, jtz("UTC"), jspan("P1D"), "error: #VALUE! span * value: scalar must be a number"},
    {Add, jdate("2024-02-30"), jspan("P1D"),
     "error: failed to parse \"2024-02-30\" as date: parameter 'day' with value 30 is "
     "not in the "
     "required range of 1..=29"},
    {Add, jdate("9999-12-31"), jspan("P1D"),
     "error: adding 1 days to 9999-12-31 leaves the supported range of dates "
     "(-9999-01-01 to 9999-12-31)"},
};

INSTANTIATE_TEST_SUITE_P(Table, Operators, ::testing::ValuesIn(kOps));

TEST(Comparisons, OrderEachKindByItsValue) {
    auto is = [](const core::CompareAnswer& a) {
        return a.handled() && !a.is_error() && a.value();
    };
    EXPECT_TRUE(is(cmp(CompareOp::Lt, jdate("2024-01-01"), jdate("2024-01-02"))));
    EXPECT_TRUE(is(cmp(CompareOp::Gt, jtime("10:00:00.5"), jtime("10:00:00"))));
    EXPECT_TRUE(
        is(cmp(CompareOp::Le, jdatetime("2024-01-01T10:00:00"), jdatetime("2024-01-01T10:00:00"))));
    EXPECT_TRUE(is(cmp(CompareOp::Eq, jzoned("2024-01-01T12:00:00+00:00[UTC]"),
                       jzoned("2024-01-01T07:00:00-05:00[America/New_York]"))));
    EXPECT_TRUE(is(cmp(CompareOp::Eq, jspan("P1M"), jspan("P31D"))));
    EXPECT_TRUE(is(cmp(CompareOp::Eq, jspan("P1D"), jspan("PT24H"))));
    EXPECT_TRUE(is(cmp(CompareOp::Ne, jtz("Europe/Paris"), jtz("europe/paris"))));
    EXPECT_FALSE(cmp(CompareOp::Lt, jtz("A"), jtz("B")).handled());
    EXPECT_FALSE(cmp(CompareOp::Eq, jtz("UTC"), CellValue::text("UTC")).handled());
    EXPECT_FALSE(cmp(CompareOp::Eq, jspan("P1D"), CellValue::number(1)).handled());
    // Spans of days are measured from 1970-01-01: the last day an instant reaches is in range.
    EXPECT_TRUE(is(cmp(CompareOp::Eq, jspan("P2932895D"), jspan("P2932895D"))));
    EXPECT_FALSE(cmp(CompareOp::Eq, jdate("2024-06-15"), CellValue::text("2024-06-15")).handled());
    EXPECT_FALSE(
        cmp(CompareOp::Eq, jdate("2024-06-15"), jdatetime("2024-06-15T00:00:00")).handled());
    auto bad = cmp(CompareOp::Eq, jdate("2024-02-30"), jdate("2024-01-01"));
    ASSERT_TRUE(bad.is_error());
    EXPECT_NE(bad.error_text().find("2024-02-30"), std::string::npos);
    EXPECT_TRUE(cmp(CompareOp::Eq, jspan("P19998Y"), jspan("P19998Y1D")).is_error());
}

TEST(Display, ShowsEachKindItsOwnWay) {
    EXPECT_EQ(registry().render(jdatetime("2024-06-15T09:30:00")), "2024-06-15 09:30:00");
    EXPECT_EQ(registry().render(jdatetime("garbageTx")), "garbage x");
    EXPECT_EQ(registry().render(jspan("nonsense")), "nonsense");
    EXPECT_EQ(registry().render(jzoned("2024-01-15T09:30:00.75-05:00[America/New_York]")),
              "2024-01-15 09:30:00 EST");
    EXPECT_EQ(registry().render(jzoned("2024-06-15T12:00:00+05:30[+05:30]")),
              "2024-06-15 12:00:00 +05:30");
    EXPECT_EQ(registry().render(jzoned("2024-06-15T12:00:00+00:00[UTC]")),
              "2024-06-15 12:00:00 UTC");
    EXPECT_EQ(registry().render(jzoned("bad[x]")), "bad[x]");
    EXPECT_EQ(registry().render(jtz("Europe/Paris")), "Europe/Paris");
    for (const auto& handler : registry().types()) {
        const CellValue v = CellValue::custom(handler->type_tag(), "payload T");
        EXPECT_EQ(handler->edit_repr(v), "payload T") << handler->type_tag();
    }
}

TEST(NumberViews, CountFromTheEpoch) {
    EXPECT_EQ(registry().coerce_number(jdate("1969-12-31")), -1.0);
    EXPECT_EQ(registry().coerce_number(jtime("12:00:00")), 0.5);
    EXPECT_EQ(registry().coerce_number(jdatetime("1970-01-02T06:00:00")), 1.25);
    EXPECT_EQ(registry().coerce_number(jzoned("1970-01-01T00:00:01+00:00[UTC]")), 1.0);
    EXPECT_EQ(registry().coerce_number(jzoned("1969-12-31T23:59:59.5+00:00[UTC]")), 0.0);
    EXPECT_FALSE(registry().coerce_number(jspan("P1D")).has_value());
    EXPECT_FALSE(registry().coerce_number(jtz("UTC")).has_value());
    EXPECT_FALSE(registry().coerce_number(jdate("2024-02-30")).has_value());
}

TEST(ParseWith, ReadsByFormatOrGivesNothing) {
    auto with = [](std::string_view tag, std::string_view text,
                   std::string_view format) -> std::string {
        auto value = registry().handler_for(tag)->parse_with(text, format);
        return value ? std::string(value->custom_data()) : "<none>";
    };
    EXPECT_EQ(with("jdate", "05/03/2024", "%d/%m/%Y"), "2024-03-05");
    EXPECT_EQ(with("jdate", "4/2", "%d/%m"), "<none>");
    EXPECT_EQ(with("jdate", "Mon 05/03/2024", "%a %d/%m/%Y"), "<none>");
    EXPECT_EQ(with("jdate", "2024-06-15", ""), "2024-06-15");
    EXPECT_EQ(with("jdate", "2024-6-15", ""), "<none>");
    EXPECT_EQ(with("jtime", "7:05 pm", "%I:%M %p"), "19:05:00");
    EXPECT_EQ(with("jtime", "24 3", "%H %I"), "<none>");  // an hour out of range, read over
    EXPECT_EQ(with("jdatetime", "2024/06/15 10h", "%Y/%m/%d %Hh"), "2024-06-15T10:00:00");
    EXPECT_EQ(with("jzoned", "2024-03-10 02:30 America/New_York", "%Y-%m-%d %H:%M %Q"),
              "2024-03-10T03:30:00-04:00[America/New_York]");
    EXPECT_EQ(with("jzoned", "2024-11-03 01:30 -0500 America/New_York", "%Y-%m-%d %H:%M %z %Q"),
              "2024-11-03T01:30:00-05:00[America/New_York]");
    EXPECT_EQ(with("jzoned", "2024-06-15 12:00 +0530", "%Y-%m-%d %H:%M %z"),
              "2024-06-15T12:00:00+05:30[+05:30]");
    EXPECT_EQ(with("jspan", "1d", "%Y"), "P1D");
    EXPECT_EQ(with("jtimezone", "UTC", ""), "<none>");
}

}  // namespace
}  // namespace orvel::datetime
