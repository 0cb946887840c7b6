#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace orvel::core {
namespace {

struct DisplayCase {
    double value;
    std::string text;
};

class NumberDisplay : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(NumberDisplay, ShowsShortestRoundTripDigitsPositionally) {
    EXPECT_EQ(format_number(GetParam().value), GetParam().text);
}

// Random numbers are shown and read back against a model of this rule in
// tests/python/test_operator_properties.py; here the corners.
const DisplayCase kDisplays[] = {{0.0, "0"},
                                 {-0.0, "-0"},
                                 {0.1 + 0.2, "0.30000000000000004"},
                                 {1e21, "1000000000000000000000"},
                                 {1e-7, "0.0000001"},
                                 {1e23, "100000000000000000000000"},
                                 {18446744073709551616.0, "18446744073709552000"},
                                 {std::numeric_limits<double>::infinity(), "inf"},
                                 {-std::numeric_limits<double>::infinity(), "-inf"},
                                 {std::numeric_limits<double>::quiet_NaN(), "NaN"},
                                 {-std::numeric_limits<double>::quiet_NaN(), "NaN"},
                                 {9007199254740994.0, "9007199254740994"},
                                 {-1e22, "-10000000000000000000000"}};

INSTANTIATE_TEST_SUITE_P(Table, NumberDisplay, ::testing::ValuesIn(kDisplays));

TEST(NumberDisplay, ExtremesArePositional) {
    EXPECT_EQ(format_number(1e300), "1" + std::string(300, '0'));
    EXPECT_EQ(format_number(5e-324), "0." + std::string(323, '0') + "5");
    EXPECT_EQ(format_number(-5e-324), "-0." + std::string(323, '0') + "5");
}

struct ParseCase {
    std::string text;
    bool ok;
    double value;
};

class DecimalReading : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DecimalReading, FollowsTheLiteralGrammar) {
    const auto& c = GetParam();
    auto got = parse_decimal(c.text);
    ASSERT_EQ(got.has_value(), c.ok) << c.text;
    if (!c.ok) return;
    if (std::isnan(c.value)) {
        EXPECT_TRUE(std::isnan(*got)) << c.text;
    } else {
        EXPECT_EQ(*got, c.value) << c.text;
        EXPECT_EQ(std::signbit(*got), std::signbit(c.value)) << c.text;
    }
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Table, DecimalReading,
    ::testing::Values(
        ParseCase{"1e3", true, 1000}, ParseCase{"+5", true, 5}, ParseCase{"-2.5", true, -2.5},
        ParseCase{"1.", true, 1}, ParseCase{".5", true, 0.5}, ParseCase{"007", true, 7},
        ParseCase{"1E-2", true, 0.01}, ParseCase{"1e+2", true, 100}, ParseCase{"inf", true, kInf},
        ParseCase{"-inf", true, -kInf}, ParseCase{"Infinity", true, kInf},
        ParseCase{"+INF", true, kInf}, ParseCase{"NaN", true, kNaN}, ParseCase{"nan", true, kNaN},
        ParseCase{"-0", true, -0.0}, ParseCase{"1e400", true, kInf},
        ParseCase{"-1e400", true, -kInf}, ParseCase{"1e-400", true, 0.0},
        ParseCase{"-1e-400", true, -0.0}, ParseCase{"4.9e-324", true, 5e-324},
        ParseCase{"1e99999999999999999999", true, kInf},
        ParseCase{"0e99999999999999999999", true, 0.0},
        ParseCase{"0.1e-99999999999", true, 0.0},
        ParseCase{"0.0000000000000000000000000000001e31", true, 1},
        ParseCase{"17976931348623157e292", true, 1.7976931348623157e308},
        ParseCase{"", false, 0}, ParseCase{" 1", false, 0}, ParseCase{"1 ", false, 0},
        ParseCase{"1,000", false, 0}, ParseCase{".", false, 0}, ParseCase{"e5", false, 0},
        ParseCase{"1e", false, 0}, ParseCase{"1e+", false, 0}, ParseCase{"0x10", false, 0},
        ParseCase{"nan(1)", false, 0}, ParseCase{"infin", false, 0}, ParseCase{"--1", false, 0},
        ParseCase{"+", false, 0}, ParseCase{"1..2", false, 0},
        ParseCase{std::string("1\0", 2), false, 0}));

// Long mantissas whose exponent points the other way: the leading digit's power decides.
TEST(DecimalReading, LongMantissaAgainstItsExponent) {
    const std::string ones = "1" + std::string(500, '0');
    EXPECT_EQ(parse_decimal(ones + "e-50"), kInf);
    EXPECT_EQ(parse_decimal("-" + ones + "e-50"), -kInf);
    EXPECT_EQ(parse_decimal(ones + "e-400"), 1e100);
    EXPECT_EQ(parse_decimal(ones + "e-900"), 0.0);
    const std::string tiny = "0." + std::string(500, '0') + "1";
    EXPECT_EQ(parse_decimal(tiny + "e50"), 0.0);
    EXPECT_EQ(parse_decimal(tiny + "e451"), 1e-50);
    EXPECT_EQ(parse_decimal(tiny + "e950"), kInf);
}

}  // namespace
}  // namespace orvel::core
