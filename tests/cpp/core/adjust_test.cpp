#include "core/adjust.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
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

void PrintTo(const AdjustCase& c, std::ostream* os) { *os << c.formula; }

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

Indices run(std::uint32_t first, std::uint32_t last) {
    Indices out;
    for (std::uint64_t i = first; i <= last; ++i) out.push_back(static_cast<std::uint32_t>(i));
    return out;
}

// Deleted rows 6..10 (0-based 5..9): a range end inside the run, at its start or its end moves
// to the first survivor past the run (first end) or before it (last end).
const Indices kRows6To10 = run(5, 9);

INSTANTIATE_TEST_SUITE_P(
    EndsAgainstARun, DeletionAdjustment,
    ::testing::Values(AdjustCase{"=SUM(7:9)", {}, kRows6To10, "=SUM(#REF!)"},
                      AdjustCase{"=SUM(6:10)", {}, kRows6To10, "=SUM(#REF!)"},
                      AdjustCase{"=SUM(8:12)", {}, kRows6To10, "=SUM(6:7)"},
                      AdjustCase{"=SUM(3:8)", {}, kRows6To10, "=SUM(3:5)"},
                      AdjustCase{"=SUM(6:12)", {}, kRows6To10, "=SUM(6:7)"},
                      AdjustCase{"=SUM(2:6)", {}, kRows6To10, "=SUM(2:5)"},
                      AdjustCase{"=SUM(10:12)", {}, kRows6To10, "=SUM(6:7)"},
                      AdjustCase{"=SUM(2:10)", {}, kRows6To10, "=SUM(2:5)"},
                      AdjustCase{"=SUM(5:11)", {}, kRows6To10, "=SUM(5:6)"},
                      AdjustCase{"=SUM(11:14)", {}, kRows6To10, "=SUM(6:9)"},
                      AdjustCase{"=SUM(2:5)", {}, kRows6To10, "=SUM(2:5)"},
                      AdjustCase{"=A8:B12+A2:B9", {}, kRows6To10, "=A6:B7+A2:B5"},
                      // Two runs with one survivor between: the ends stop at it.
                      AdjustCase{"=SUM(3:7)", {}, {2, 3, 5, 6}, "=SUM(3:3)"},
                      AdjustCase{"=SUM(3:7)", {}, {6, 5, 3, 2}, "=SUM(3:3)"},
                      AdjustCase{"=SUM(2:8)", {}, {2, 3, 5, 6}, "=SUM(2:4)"},
                      // A run from index 0.
                      AdjustCase{"=SUM(1:5)", {}, {0, 1, 2}, "=SUM(1:2)"},
                      AdjustCase{"=SUM(3:1)+A1:B3", {}, {0, 1, 2}, "=SUM(#REF!)+#REF!"},
                      AdjustCase{"=SUM(4:5)", {}, {0, 1, 2}, "=SUM(1:2)"},
                      // A run up to the last row and beyond it (indices past the grid count).
                      AdjustCase{"=SUM(4294967290:4294967295)",
                                 {},
                                 run(4294967291u, 4294967295u),
                                 "=SUM(4294967290:4294967291)"},
                      AdjustCase{"=SUM(4294967293:4294967295)+A4294967295",
                                 {},
                                 run(4294967292u, 4294967295u),
                                 "=SUM(#REF!)+#REF!"},
                      AdjustCase{"=SUM(4294967295:4294967295)",
                                 {},
                                 {4294967295u},
                                 "=SUM(4294967295:4294967295)"},
                      AdjustCase{"=SUM(4294967295:4294967295)",
                                 {},
                                 {0, 4294967295u},
                                 "=SUM(4294967294:4294967294)"},
                      // Columns: a million deleted from C on.
                      AdjustCase{"=C1:D2+SUM(C:XFD)", run(2, 999999), {}, "=#REF!+SUM(#REF!)"},
                      AdjustCase{"=B1:D2+SUM(B:XFD)", run(2, 999999), {}, "=B1:B2+SUM(B:B)"},
                      AdjustCase{"=SUM(D:B)", run(0, 2), {}, "=SUM(A:A)"},
                      AdjustCase{"=SUM(MWLQKWR:MWLQKWT)",
                                 {4294967292u, 4294967293u, 4294967294u},
                                 {},
                                 "=SUM(MWLQKWR:MWLQKWR)"},
                      // The last column's number saturates, so it names no column here.
                      AdjustCase{"=SUM(MWLQKWS:MWLQKWU)",
                                 {4294967293u},
                                 {},
                                 "=SUM(MWLQKWS:MWLQKWU)"}));

// A plain model of deletion on one axis: the surviving indices of a span, the first and last of
// them lowered by the deleted indices below each.
std::string modelled_rows(std::uint32_t lo, std::uint32_t hi, const Indices& deleted) {
    auto is_deleted = [&](std::uint64_t i) {
        return std::find(deleted.begin(), deleted.end(), i) != deleted.end();
    };
    auto moved_row = [&](std::uint64_t i) {
        std::uint64_t below = 0;
        for (std::uint32_t d : deleted) below += d < i;
        return std::to_string(i - below + 1);
    };
    std::uint64_t first = lo, last = hi;
    while (first <= hi && is_deleted(first)) ++first;
    if (first > hi) return "SUM(#REF!)";
    while (is_deleted(last)) --last;
    return "SUM(" + moved_row(first) + ":" + moved_row(last) + ")";
}

// Every set of deleted indices among twelve, against every span among them: near row 1 and
// at the top of the grid, where a run may reach past the last row.
TEST(DeletionAdjustmentModel, EveryDeletedSetAgainstEverySpan) {
    for (const std::uint64_t base : {std::uint64_t{0}, std::uint64_t{UINT32_MAX} - 11}) {
        const auto row_of = [&](std::uint32_t k) { return std::to_string(base + k + 1); };
        for (std::uint32_t mask = 0; mask < 4096; ++mask) {
            Indices deleted;
            for (std::uint32_t k = 0; k < 12; ++k) {
                if (mask & (1u << k)) deleted.push_back(static_cast<std::uint32_t>(base + k));
            }
            std::string formula = "=0", expected = "=0";
            // The last of the twelve indices lies past the grid when `base` is at the top.
            const std::uint32_t spans = base == 0 ? 12 : 11;
            for (std::uint32_t lo = 0; lo < spans; ++lo) {
                for (std::uint32_t hi = lo; hi < spans; ++hi) {
                    formula += "+SUM(" + row_of(lo) + ":" + row_of(hi) + ")";
                    expected += "+" + modelled_rows(static_cast<std::uint32_t>(base + lo),
                                                    static_cast<std::uint32_t>(base + hi), deleted);
                }
            }
            ASSERT_EQ(adjust_refs_for_deletion(formula, {{}, deleted}), expected)
                << "base " << base << " mask " << mask;
        }
    }
}

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
                                           AdjustCase{"=SUM(4294967294:4294967294)", {}, {0},
                                                      "=SUM(4294967295:4294967295)"},
                                           AdjustCase{"=SUM($4294967294:4294967294)", {}, {5},
                                                      "=SUM($4294967295:4294967295)"},
                                           AdjustCase{"=SUM(4294967295:4294967295)", {}, {0},
                                                      "=SUM(#REF!)"},
                                           AdjustCase{"=SUM(4294967294:4294967294)", {}, {0, 0},
                                                      "=SUM(#REF!)"},
                                           AdjustCase{"=A4294967294:B4294967294", {}, {0},
                                                      "=A4294967295:B4294967295"},
                                           AdjustCase{"=SUM(MWLQKWT:MWLQKWT)", {0}, {},
                                                      "=SUM(MWLQKWU:MWLQKWU)"},
                                           AdjustCase{"=SUM(MWLQKWT:$MWLQKWT)", {5}, {},
                                                      "=SUM(MWLQKWU:$MWLQKWU)"},
                                           AdjustCase{"=SUM(MWLQKWT:MWLQKWT)", {0, 0}, {},
                                                      "=SUM(#REF!)"},
                                           AdjustCase{"=MWLQKWS1:MWLQKWT1", {0}, {},
                                                      "=MWLQKWT1:MWLQKWU1"},
                                           AdjustCase{"=MWLQKWT1", {0}, {}, "=MWLQKWU1"},
                                           AdjustCase{"=MWLQKWT1", {0, 0}, {}, "=#REF!"},
                                           AdjustCase{
                                               "=SUM(A:MWLQKWT)", {0, 1}, {}, "=SUM(#REF!)"}));

}  // namespace
}  // namespace orvel::core
