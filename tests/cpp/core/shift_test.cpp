#include "core/shift.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel::core {
namespace {

struct ShiftCase {
    std::string formula;
    std::int32_t d_row;
    std::int32_t d_col;
    std::string expected;
    std::uint32_t max_row = 100;
    std::uint32_t max_col = 100;
};

class CopiedFormula : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(CopiedFormula, RelativePartsMoveAbsolutePartsStay) {
    const ShiftCase& c = GetParam();
    EXPECT_EQ(shift_formula_refs(c.formula, c.d_row, c.d_col, c.max_row, c.max_col), c.expected)
        << c.formula << " by " << c.d_row << "," << c.d_col;
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CopiedFormula,
    ::testing::Values(ShiftCase{"=A1+$B$2+C$3", 1, 1, "=B2+$B$2+D$3"},
                      ShiftCase{"=$A1", 2, 5, "=$A3"}, ShiftCase{"=A1", -1, 0, "=#REF!"},
                      ShiftCase{"=$A$1", 5, 5, "=$A$1", 1, 1},
                      ShiftCase{"=$A$200", -3, 7, "=$A$200"}, ShiftCase{"=a1", 1, 0, "=A2"},
                      ShiftCase{"=$a$1", 1, 0, "=$a$1"}, ShiftCase{"=A1#", 0, 2, "=C1#"},
                      ShiftCase{"=A1#", 0, -1, "=#REF!"}, ShiftCase{"=a1#", 0, 0, "=a1#"},
                      ShiftCase{"=Z1", 0, 1, "=AA1"}, ShiftCase{"=AA1", 0, -1, "=Z1"},
                      ShiftCase{"=A100", 1, 0, "=#REF!"}, ShiftCase{"=A99", 1, 0, "=A100"}));

INSTANTIATE_TEST_SUITE_P(
    Ranges, CopiedFormula,
    ::testing::Values(
        ShiftCase{"=SUM(A1:B5)", -1, 0, "=SUM(#REF!)"}, ShiftCase{"=A1:b2", 1, 0, "=A2:B3"},
        ShiftCase{"=B2:A1", 1, 0, "=B3:A2"}, ShiftCase{"=$A$1:$B$2", 1, 1, "=$A$1:$B$2"},
        ShiftCase{"=A1 : B2", -1, 0, "=#REF! : B1"}, ShiftCase{"=SUM(A:C)", 0, 1, "=SUM(B:D)"},
        ShiftCase{"=SUM($A:C)", 0, 1, "=SUM($A:D)"}, ShiftCase{"=SUM(A:C)", 5, 0, "=SUM(A:C)"},
        ShiftCase{"=SUM(A:C)", 0, -1, "=SUM(#REF!)"}, ShiftCase{"=SUM(1:3)", 2, 0, "=SUM(3:5)"},
        ShiftCase{"=SUM(1:3)", -1, 0, "=SUM(#REF!)"}, ShiftCase{"=12:30", 1, 0, "=13:31"}));

// An absolute whole-row end keeps its value, like the row of a cell reference.
INSTANTIATE_TEST_SUITE_P(AbsoluteWholeRows, CopiedFormula,
                         ::testing::Values(ShiftCase{"=SUM($1:$3)", 1, 0, "=SUM($1:$3)"},
                                           ShiftCase{"=SUM($1:3)", 1, 0, "=SUM($1:4)"},
                                           ShiftCase{"=SUM(1:$3)", 1, 0, "=SUM(2:$3)"},
                                           ShiftCase{"=SUM($1:3)", 98, 0, "=SUM(#REF!)"},
                                           ShiftCase{"=SUM($1:$300)", 1, 0, "=SUM($1:$300)"},
                                           ShiftCase{"=$1", 1, 0, "=$1"},
                                           ShiftCase{"=A1:$3", 1, 0, "=A2:$3"}));

INSTANTIATE_TEST_SUITE_P(
    TextAndNames, CopiedFormula,
    ::testing::Values(
        ShiftCase{"=\"A1\"&A1", 1, 0, "=\"A1\"&A2"}, ShiftCase{"='A1'&\"B2", 1, 0, "='A1'&\"B2"},
        ShiftCase{"=SUM(X2Y,RATE_1,A1)", 1, 0, "=SUM(X2Y,RATE_1,A2)"},
        ShiftCase{"=LOG10(A1)", 1, 0, "=LOG11(A2)", 100, 8509},
        ShiftCase{"=LOG10(A1)", 1, 0, "=#REF!(A2)"}, ShiftCase{"=A1.5", 1, 0, "=A2.5"},
        ShiftCase{"='\u00E9'&A1", 1, 0, "='\u00E9'&A2"},
        ShiftCase{"=\u00E9+A1", 1, 0, "=\u00E9+A2"}, ShiftCase{"=A1 ~ $", 1, 0, "=A2 ~ $"},
        ShiftCase{"=A0+B99999999999+ZZZZZZZZ1", 1, 1, "=A0+B99999999999+ZZZZZZZZ1"}));

INSTANTIATE_TEST_SUITE_P(Unchanged, CopiedFormula,
                         ::testing::Values(ShiftCase{"", 1, 1, ""}, ShiftCase{"A1", 1, 1, "A1"},
                                           ShiftCase{"=a1", 0, 0, "=a1"},
                                           ShiftCase{"=A1", 1, 1, "=A1", 0, 100},
                                           ShiftCase{"=A1", 1, 1, "=A1", 100, 0}));

TEST(CopiedFormula, ExtremeDeltasStayInsideTheGrid) {
    const std::uint32_t max = UINT32_MAX;
    EXPECT_EQ(shift_formula_refs("=A1", INT32_MAX, 0, max, max), "=A2147483648");
    EXPECT_EQ(shift_formula_refs("=A4294967295", 1, 0, max, max), "=#REF!");
    EXPECT_EQ(shift_formula_refs("=A4294967295", INT32_MIN, 0, max, max), "=A2147483647");
    EXPECT_EQ(shift_formula_refs("=MWLQKWU1", 0, -1, max, max), "=MWLQKWT1");
    // Past 32 bits the letters are no column: the text stays.
    EXPECT_EQ(shift_formula_refs("=MWLQKWV1", 0, -1, max, max), "=MWLQKWV1");
}

}  // namespace
}  // namespace orvel::core
