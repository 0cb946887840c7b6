#include "core/values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orvel::core {
namespace {

TEST(CellValueDisplay, EachKindShowsItsText) {
    EXPECT_EQ(CellValue::number(std::nan("")).display(), "NaN");
    EXPECT_EQ(CellValue::boolean(true).display(), "TRUE");
    EXPECT_EQ(CellValue::boolean(false).display(), "FALSE");
    EXPECT_EQ(CellValue::empty().display(), "");
    EXPECT_EQ(CellValue::text(std::string_view("a\0b", 3)).display(), std::string("a\0b", 3));
    EXPECT_EQ(CellValue::custom("jdate", "2024-01-31").display(), "2024-01-31");
    EXPECT_EQ(CellValue::error(FormulaError::value("bad")).display(), "#VALUE! bad");
    EXPECT_EQ(CellValue::error(FormulaError::value("")).display(), "#VALUE!");
    EXPECT_EQ(CellValue::error(ErrorKind::Value).display(), "#VALUE!");
    EXPECT_EQ(CellValue::error(FormulaError::other("free text")).display(), "free text");
}

TEST(FormulaErrorDisplay, CodesInKindOrder) {
    const char* codes[] = {"#DIV/0!", "#REF!",      "#NAME?",  "#SPILL!", "#LOADING!",
                           "#N/A",    "#CIRCULAR!", "#VALUE!", "#SIZE!"};
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(FormulaError(static_cast<ErrorKind>(k)).display(), codes[k]);
    }
    EXPECT_EQ(FormulaError::size("SEQUENCE exceeds 100000 cells").display(),
              "#SIZE! SEQUENCE exceeds 100000 cells");
}

struct FromCase {
    std::string text;
    ErrorKind kind;
    bool has_message;
    std::string message;
};

class ErrorTextReading : public ::testing::TestWithParam<FromCase> {};

TEST_P(ErrorTextReading, ReadsBackTheKindAndMessage) {
    const auto& c = GetParam();
    FormulaError e = FormulaError::from(c.text);
    EXPECT_EQ(e.kind(), c.kind) << c.text;
    EXPECT_EQ(e.has_message(), c.has_message) << c.text;
    EXPECT_EQ(e.message(), c.message) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrorTextReading,
    ::testing::Values(
        FromCase{"#DIV/0!", ErrorKind::DivByZero, false, ""},
        FromCase{"#REF!", ErrorKind::Ref, false, ""},
        FromCase{"#NAME?", ErrorKind::UnknownName, false, ""},
        FromCase{"#SPILL!", ErrorKind::Spill, false, ""},
        FromCase{"#LOADING!", ErrorKind::Loading, false, ""},
        FromCase{"#N/A", ErrorKind::NotAvailable, false, ""},
        FromCase{"#VALUE!", ErrorKind::Value, false, ""},
        FromCase{"#SIZE!", ErrorKind::Size, false, ""},
        FromCase{"#VALUE!   x ", ErrorKind::Value, true, "x "},
        FromCase{"#VALUE! ", ErrorKind::Value, true, ""},
        FromCase{"#SIZE!too big", ErrorKind::Size, true, "too big"},
        FromCase{"#VALUE!\u00A0\u3000msg", ErrorKind::Value, true, "msg"},
        FromCase{"#VALUE!\v\fmsg", ErrorKind::Value, true, "msg"},
        FromCase{"#VALUE!\u200Bmsg", ErrorKind::Value, true, "\u200Bmsg"},
        FromCase{"#CIRCULAR!", ErrorKind::Circular, false, ""},
        FromCase{"#CIRCULAR!  \t", ErrorKind::Circular, false, ""},
        FromCase{"#CIRCULAR!\u2029", ErrorKind::Circular, false, ""},
        FromCase{"#CIRCULAR! A1", ErrorKind::Other, false, "#CIRCULAR! A1"},
        FromCase{"#value!", ErrorKind::Other, false, "#value!"},
        FromCase{"#N/A later", ErrorKind::Other, false, "#N/A later"},
        FromCase{"#REF! x", ErrorKind::Other, false, "#REF! x"},
        FromCase{"", ErrorKind::Other, false, ""},
        FromCase{"ValueError: bad", ErrorKind::Other, false, "ValueError: bad"}));

TEST(ErrorTextReading, DisplayRoundTripsThroughFrom) {
    for (const FormulaError& e :
         {FormulaError(ErrorKind::Ref), FormulaError::value("x"), FormulaError::size("big"),
          FormulaError::other("anything"), FormulaError(ErrorKind::Circular)}) {
        EXPECT_EQ(FormulaError::from(e.display()), e) << e.display();
    }
}

TEST(CellValueEquality, FollowsKindRules) {
    double nan = std::nan("");
    EXPECT_FALSE(CellValue::number(nan) == CellValue::number(nan));
    EXPECT_TRUE(CellValue::number(0.0) == CellValue::number(-0.0));
    EXPECT_FALSE(CellValue::text("a") == CellValue::text("A"));
    EXPECT_TRUE(CellValue::empty() == CellValue::empty());
    EXPECT_FALSE(CellValue::error(ErrorKind::Value) == CellValue::error(FormulaError::value("")));
    EXPECT_TRUE(CellValue::error(FormulaError::value("m")) ==
                CellValue::error(FormulaError::value("m")));
    EXPECT_FALSE(CellValue::custom("a", "d") == CellValue::custom("b", "d"));
    EXPECT_FALSE(CellValue::custom("ab", "c") == CellValue::custom("a", "bc"));
    EXPECT_TRUE(CellValue::custom("jdate", "x") == CellValue::custom("jdate", "x"));
    EXPECT_FALSE(CellValue::number(1) == CellValue::boolean(true));
    EXPECT_FALSE(CellValue::text("") == CellValue::empty());
}

// The text view follows the decimal grammar of number_text_test.cpp.
TEST(CellValueNumberView, PlainViewWithoutHandlers) {
    EXPECT_EQ(CellValue::text("1e3").as_number(), 1000.0);
    EXPECT_EQ(CellValue::text(" 1").as_number(), std::nullopt);
    EXPECT_EQ(CellValue::boolean(false).as_number(), 0.0);
    EXPECT_EQ(CellValue::empty().as_number(), std::nullopt);
    EXPECT_EQ(CellValue::error(ErrorKind::NotAvailable).as_number(), std::nullopt);
    EXPECT_EQ(CellValue::custom("t", "5").as_number(), std::nullopt);
}

TEST(CellValueCopies, ShareTextButBehaveAsValues) {
    CellValue a = CellValue::text("hello");
    CellValue b = a;
    CellValue c = std::move(a);
    EXPECT_EQ(b.text_view(), "hello");
    EXPECT_EQ(c.text_view(), "hello");
    EXPECT_TRUE(a.is_empty());
    b = CellValue::number(2);
    EXPECT_EQ(c.text_view(), "hello");
    c = c;
    EXPECT_EQ(c.text_view(), "hello");
    c.swap(b);
    EXPECT_EQ(c.as_double(), 2);
    EXPECT_EQ(b.text_view(), "hello");
}

TEST(ArrayValueShape, ChecksDataAgainstShape) {
    EXPECT_THROW(ArrayValue(2, 2, std::vector<CellValue>(3)), InternalError);
    ArrayValue wide(0, 3, {});
    EXPECT_TRUE(wide.first().is_empty());
    EXPECT_EQ(wide.size(), 0u);
    ArrayValue one(1, 1, {CellValue::number(7)});
    EXPECT_EQ(one.first().as_double(), 7);
    ArrayValue grid(2, 2, {CellValue::number(1), CellValue::number(2), CellValue::number(3),
                           CellValue::number(4)});
    EXPECT_EQ(grid.at(1, 0).as_double(), 3);
    EXPECT_EQ(ArrayValue::scalar(CellValue::text("x")).first().text_view(), "x");
}

struct ColumnCase {
    std::uint32_t index;
    std::string letters;
};

class ColumnLetters : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(ColumnLetters, AreBijectiveBase26) {
    EXPECT_EQ(index_to_col(GetParam().index), GetParam().letters);
    if (GetParam().index > 0) {
        EXPECT_EQ(col_letters_to_index(GetParam().letters), GetParam().index);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ColumnLetters,
                         ::testing::Values(ColumnCase{0, ""}, ColumnCase{1, "A"},
                                           ColumnCase{26, "Z"}, ColumnCase{27, "AA"},
                                           ColumnCase{52, "AZ"}, ColumnCase{53, "BA"},
                                           ColumnCase{702, "ZZ"}, ColumnCase{703, "AAA"},
                                           ColumnCase{16384, "XFD"},
                                           ColumnCase{4294967295u, "MWLQKWU"}));

TEST(ColumnLetters, SaturateWhenTooLong) {
    EXPECT_EQ(col_letters_to_index("ZZZZZZZZ"), UINT32_MAX);
}

TEST(CellIds, JoinLettersAndRowAsGiven) {
    EXPECT_EQ(cell_id("B", 12), "B12");
    EXPECT_EQ(cell_id("ab", 0), "ab0");
    EXPECT_EQ(cell_id("A", 4294967295u), "A4294967295");
}

}  // namespace
}  // namespace orvel::core
