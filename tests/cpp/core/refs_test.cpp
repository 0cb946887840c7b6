#include "core/refs.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel::core {
namespace {

// "kind text start-end [row,col ...]" for each reference.
std::string describe(const std::vector<FormulaRef>& refs) {
    std::string out;
    for (const FormulaRef& r : refs) {
        if (!out.empty()) out += " | ";
        out += std::string(ref_kind_name(r.kind)) + " " + r.text + " " + std::to_string(r.start) +
               "-" + std::to_string(r.end) + " [";
        for (std::size_t i = 0; i < r.cells.size(); ++i) {
            if (i > 0) out += ' ';
            out += std::to_string(r.cells[i].row) + "," + std::to_string(r.cells[i].col);
        }
        out += "]";
    }
    return out;
}

struct ExtractCase {
    std::string formula;
    std::string expected;
};

class ReferenceExtraction : public ::testing::TestWithParam<ExtractCase> {};

TEST_P(ReferenceExtraction, ReportsEachReferenceWithItsSourceSpan) {
    EXPECT_EQ(describe(extract_refs(GetParam().formula)), GetParam().expected)
        << GetParam().formula;
}

INSTANTIATE_TEST_SUITE_P(NoReferences, ReferenceExtraction,
                         ::testing::Values(ExtractCase{"A1+1", ""}, ExtractCase{"=A1 ~", ""},
                                           ExtractCase{"=TRUE", ""}, ExtractCase{"=\"A1\"&1", ""}));

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReferenceExtraction,
    ::testing::Values(ExtractCase{"=SUM(A1:B2)", "range A1:B2 5-10 [0,0 0,1 1,0 1,1]"},
                      ExtractCase{"=B2:A1", "range B2:A1 1-6 [0,0 0,1 1,0 1,1]"},
                      ExtractCase{"=$A$1", "cell $A$1 1-5 [0,0]"},
                      ExtractCase{"=a1", "cell a1 1-3 [0,0]"},
                      ExtractCase{"= A1 : B2", "range A1 : B2 2-9 [0,0 0,1 1,0 1,1]"},
                      ExtractCase{"=A:C", "whole_column A:C 1-4 []"},
                      ExtractCase{"=$a:c", "whole_column $a:c 1-5 []"},
                      ExtractCase{"=1:3", "whole_row 1:3 1-4 []"},
                      ExtractCase{"=$1:$3", "whole_row $1:$3 1-6 []"},
                      ExtractCase{"=1.5:2", "whole_row 1.5:2 1-6 []"},
                      ExtractCase{"=A1#", "spill A1# 1-4 [0,0]"},
                      ExtractCase{"=my_rate*2", "name MY_RATE 1-8 []"},
                      ExtractCase{"=SUM (A1)", "cell A1 6-8 [0,0]"},
                      ExtractCase{"=A1+A1", "cell A1 1-3 [0,0] | cell A1 4-6 [0,0]"},
                      ExtractCase{"=A1:B", "cell A1 1-3 [0,0] | name B 4-5 []"},
                      ExtractCase{"=X_1:Y", "name X_1 1-4 [] | name Y 5-6 []"},
                      ExtractCase{"=IF(B3>0,C$4,rate)",
                                  "cell B3 4-6 [2,1] | cell C$4 9-12 [3,2] | name RATE 13-17 []"}));

INSTANTIATE_TEST_SUITE_P(
    CellsOffTheGrid, ReferenceExtraction,
    ::testing::Values(ExtractCase{"=A0", "cell A0 1-3 []"}, ExtractCase{"=A0#", "spill A0# 1-4 []"},
                      ExtractCase{"=A99999999999", "cell A99999999999 1-13 []"},
                      ExtractCase{"=ZZZZZZZZ1", "cell ZZZZZZZZ1 1-10 []"},
                      ExtractCase{"=A4294967295", "cell A4294967295 1-12 [4294967294,0]"},
                      // A range with an end off the grid lists no cell at all.
                      ExtractCase{"=A0:A2", "range A0:A2 1-6 []"},
                      ExtractCase{"=A2:A0", "range A2:A0 1-6 []"},
                      ExtractCase{"=A1:ZZZZZZZZ1", "range A1:ZZZZZZZZ1 1-13 []"}));

INSTANTIATE_TEST_SUITE_P(CharacterPositions, ReferenceExtraction,
                         ::testing::Values(ExtractCase{"='\u00E9'&A1", "cell A1 5-7 [0,0]"},
                                           ExtractCase{"='\U0001F600\U0001F600'&$B$2:c3",
                                                       "range $B$2:c3 6-13 [1,1 1,2 2,1 2,2]"}));

TEST(RangeCellListing, StopsAtOneHundredThousandCells) {
    auto at_limit = extract_refs("=A1:A100000");
    ASSERT_EQ(at_limit.size(), 1u);
    EXPECT_EQ(at_limit[0].cells.size(), 100000u);
    EXPECT_EQ(at_limit[0].cells.back(), (a1::Position{99999, 0}));

    auto past_limit = extract_refs("=A1:A100001");
    ASSERT_EQ(past_limit.size(), 1u);
    EXPECT_EQ(past_limit[0].kind, RefKind::Range);
    EXPECT_TRUE(past_limit[0].cells.empty());

    auto huge = extract_refs("=A1:MWLQKWT4294967295");
    ASSERT_EQ(huge.size(), 1u);
    EXPECT_TRUE(huge[0].cells.empty());
}

TEST(RangeCellListing, OneFormulaListsAtMostAMillionCellsInAll) {
    std::string formula = "=A1";
    for (int i = 0; i < 11; ++i) formula += "+A1:A100000";
    auto refs = extract_refs(formula);
    ASSERT_EQ(refs.size(), 12u);
    EXPECT_EQ(refs[0].cells.size(), 1u);
    // Ten full ranges use the whole budget; the eleventh lists none but is still reported.
    for (std::size_t i = 1; i <= 10; ++i) EXPECT_EQ(refs[i].cells.size(), 100000u) << i;
    EXPECT_EQ(refs[11].kind, RefKind::Range);
    EXPECT_TRUE(refs[11].cells.empty());
}

TEST(ReferenceReading, ParseRefSplitsLettersAndRow) {
    auto ref = parse_ref("AB12");
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->letters, "AB");
    EXPECT_EQ(ref->row, 12u);
    ASSERT_TRUE(parse_ref("a0"));
    EXPECT_EQ(parse_ref("a0")->row, 0u);
    EXPECT_FALSE(parse_ref("12"));
    EXPECT_FALSE(parse_ref("AB"));
    EXPECT_FALSE(parse_ref("A_1"));
    EXPECT_FALSE(parse_ref("A1B"));
    EXPECT_FALSE(parse_ref("A4294967296"));
}

}  // namespace
}  // namespace orvel::core
