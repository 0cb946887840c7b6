#include "core/adjust.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvel::core {
namespace {

using Indices = std::vector<std::uint32_t>;

struct AdjustCase {
    std::string formula;
    Indices cols;
    Indices rows;
    std::string expected;
};

class DeletionAdjustment : public ::testing::TestWithParam<AdjustCase> {};
class DeletionMarking : public ::testing::TestWithParam<AdjustCase> {};
class InsertionAdjustment : public ::testing::TestWithParam<AdjustCase> {};

TEST_P(DeletionAdjustment, ReferencesMoveUpAndLeftAndRangesShrink) {
    const AdjustCase& c = GetParam();
    EXPECT_EQ(adjust_refs_for_deletion(c.formula, {c.cols, c.rows}), c.expected) << c.formula;
}

TEST_P(DeletionMarking, DeletedEndsBecomeRefErrorsAndNothingMoves) {
    const AdjustCase& c = GetParam();
    EXPECT_EQ(rewrite_refs_for_deletion(c.formula, {c.cols, c.rows}), c.expected) << c.formula;
}

TEST_P(InsertionAdjustment, ReferencesMoveDownAndRightAndStraddlingRangesGrow) {
    const AdjustCase& c = GetParam();
    EXPECT_EQ(adjust_refs_for_insertion(c.formula, {c.cols, c.rows}), c.expected) << c.formula;
}

const Indices kFirstTenRows = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

INSTANTIATE_TEST_SUITE_P(
    Table, DeletionAdjustment,
    ::testing::Values(
        AdjustCase{"=A1+B2", {0}, {}, "=#REF!+A2"}, AdjustCase{"=A1+B2", {}, {0}, "=#REF!+B1"},
        AdjustCase{"=SUM(A1:A10)", {}, {0}, "=SUM(A1:A9)"},
        AdjustCase{"=SUM(A1:A10)", {}, {4}, "=SUM(A1:A9)"},
        AdjustCase{"=SUM(A1:A10)", {}, kFirstTenRows, "=SUM(#REF!)"},
        AdjustCase{"=SUM(A1:A10)", {}, {10}, "=SUM(A1:A10)"},
        AdjustCase{"=SUM(A1:A10)", {}, {9, 9, 0}, "=SUM(A1:A8)"},
        AdjustCase{"=SUM(B5:A1)", {}, {0}, "=SUM(A1:B4)"},
        AdjustCase{"=SUM(B5:A1)", {}, {9}, "=SUM(B5:A1)"},
        AdjustCase{"=SUM($A$1:$B$5)", {0}, {}, "=SUM(A1:A5)"}, AdjustCase{"=$B$2", {}, {0}, "=B1"},
        AdjustCase{"=$B$2", {}, {5}, "=$B$2"}, AdjustCase{"=SUM(B:D)", {2}, {}, "=SUM(B:C)"},
        AdjustCase{"=SUM(B:D)", {1, 2, 3}, {}, "=SUM(#REF!)"},
        AdjustCase{"=SUM($D:b)", {0}, {}, "=SUM(A:C)"},
        AdjustCase{"=SUM(B:D)", {}, {0}, "=SUM(B:D)"},
        AdjustCase{"=SUM(2:4)", {}, {0}, "=SUM(1:3)"},
        AdjustCase{"=SUM($4:$2)", {}, {2}, "=SUM(2:3)"},
        AdjustCase{"=SUM(2:4)", {}, {1, 2, 3}, "=SUM(#REF!)"},
        AdjustCase{"=SUM(2:4)", {0}, {}, "=SUM(2:4)"}, AdjustCase{"=B2#", {}, {0}, "=B1#"},
        AdjustCase{"=B2#", {1}, {}, "=#REF!#"}, AdjustCase{"='\u00E9'&B2", {}, {0}, "='\u00E9'&B1"},
        AdjustCase{"=RATE+SUM(X)", {0, 1}, {0, 1}, "=RATE+SUM(X)"},
        AdjustCase{"=A0+A0:B5+0:3+1.5:3", {}, {0}, "=A0+A0:B5+0:3+1.5:3"},
        // Letters past 32 bits name no column: never deleted, never moved.
        AdjustCase{"=SUM(ABCDEFGH:ZZZZZZZZ)+ZZZZZZZZ1",
                   {0, 4294967294u},
                   {},
                   "=SUM(ABCDEFGH:ZZZZZZZZ)+ZZZZZZZZ1"},
        AdjustCase{"=SUM(B:ZZZZZZZZ)", {0}, {}, "=SUM(B:ZZZZZZZZ)"}));

INSTANTIATE_TEST_SUITE_P(Unchanged, DeletionAdjustment,
                         ::testing::Values(AdjustCase{"=A2", {}, {}, "=A2"},
                                           AdjustCase{"A2", {}, {0}, "A2"},
                                           AdjustCase{"", {}, {0}, ""},
                                           AdjustCase{"=A2 ~", {}, {0}, "=A2 ~"}));

INSTANTIATE_TEST_SUITE_P(
    Table, DeletionMarking,
    ::testing::Values(AdjustCase{"=SUM(A1:B5)", {}, {4}, "=SUM(A1:#REF!)"},
                      AdjustCase{"=SUM(A1:B5)", {0}, {}, "=SUM(#REF!:B5)"},
                      AdjustCase{"=SUM(A1:B5)", {}, {0, 4}, "=SUM(#REF!)"},
                      AdjustCase{"=SUM(A1:B5)", {}, {2}, "=SUM(A1:B5)"},
                      AdjustCase{"=A1+$B$2", {}, {1}, "=A1+#REF!"},
                      AdjustCase{"=A1#", {}, {0}, "=#REF!#"},
                      AdjustCase{"=SUM(B:D)", {3}, {}, "=SUM(B:#REF!)"},
                      AdjustCase{"=SUM(B:D)", {1, 3}, {}, "=SUM(#REF!)"},
                      AdjustCase{"=SUM(2:4)", {}, {1}, "=SUM(#REF!:4)"},
                      AdjustCase{"=SUM(0:4)+A0", {}, {4294967295u}, "=SUM(0:4)+A0"},
                      AdjustCase{"=SUM(A:ZZZZZZZZ)", {0, 4294967294u}, {}, "=SUM(#REF!:ZZZZZZZZ)"},
                      AdjustCase{"=ZZZZZZZZ1", {4294967294u}, {}, "=ZZZZZZZZ1"},
                      AdjustCase{"hello", {1}, {2}, "hello"}));

INSTANTIATE_TEST_SUITE_P(
    Table, InsertionAdjustment,
    ::testing::Values(AdjustCase{"=SUM(A1:A10)", {}, {0}, "=SUM(A2:A11)"},
                      AdjustCase{"=SUM(A1:A10)", {}, {5}, "=SUM(A1:A11)"},
                      AdjustCase{"=SUM(A1:A10)", {}, {10}, "=SUM(A1:A10)"},
                      AdjustCase{"=SUM(A1:A10)", {}, {0, 0}, "=SUM(A3:A12)"},
                      AdjustCase{"=$A$1+A$1", {0}, {}, "=$B$1+B$1"},
                      AdjustCase{"=SUM(B5:$A1)", {0}, {2}, "=SUM(C6:$B1)"},
                      AdjustCase{"=SUM($B:d)", {2}, {}, "=SUM($B:E)"},
                      AdjustCase{"=SUM($4:2)", {}, {0}, "=SUM($5:3)"},
                      AdjustCase{"=SUM(B:D)", {}, {0}, "=SUM(B:D)"},
                      AdjustCase{"=b2#", {}, {1}, "=B3#"},
                      AdjustCase{"=RATE+SUM(X)", {0}, {0}, "=RATE+SUM(X)"},
                      AdjustCase{"=A0+ZZZZZZZZ1+A0:B2", {0}, {0}, "=A0+ZZZZZZZZ1+A0:B2"},
        AdjustCase{"=SUM(B:ZZZZZZZZ)+SUM(ABCDEFGH:ZZZZZZZZ)", {0}, {},
                   "=SUM(B:ZZZZZZZZ)+SUM(ABCDEFGH:ZZZZZZZZ)"}));

// A reference pushed past the last row or column becomes "#REF!" as a whole.
INSTANTIATE_TEST_SUITE_P(PastTheGrid, InsertionAdjustment,
                         ::testing::Values(AdjustCase{"=A4294967295", {}, {0}, "=#REF!"},
                                           AdjustCase{"=A4294967294", {}, {0}, "=A4294967295"},
                                           AdjustCase{"=A1:A4294967295", {}, {5}, "=#REF!"},
                                           AdjustCase{"=SUM(1:4294967295)", {}, {0}, "=SUM(#REF!)"},
                                           AdjustCase{"=MWLQKWT1", {0}, {}, "=MWLQKWU1"},
                                           AdjustCase{"=MWLQKWT1", {0, 0}, {}, "=#REF!"},
                                           AdjustCase{
                                               "=SUM(A:MWLQKWT)", {0, 1}, {}, "=SUM(#REF!)"}));

}  // namespace
}  // namespace orvel::core
