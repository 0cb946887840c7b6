// Recalculation: what the random edit sequences of tests/python/test_recalc_model.py cannot
// reach (lower-case and non-canonical ids, rows 0 and past the last, huge ranges, parse errors,
// whole rows, loops through spills, name expansion) and the stores under many edits. Ordering,
// cycles, spills and their blocking, pins, names and the used extent are checked there against
// a plain model after every edit.
#include "core/recalc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/limits.h"
#include "core/sheet.h"
#include "sheet_support.h"

namespace orvel::core {
namespace {

using testing::Cells;
using testing::read;
using testing::region;
using testing::write;

struct RecalcCase {
    std::string name;
    Cells cells;           // written in one call, in this order
    std::string error;     // the returned error's display text, or ""
    std::string ids;       // the cells to read
    std::string expected;  // read(ids)
};

class Recalculation : public ::testing::TestWithParam<RecalcCase> {};

TEST_P(Recalculation, GivesTheseValues) {
    Sheet sheet;
    EXPECT_EQ(write(sheet, GetParam().cells), GetParam().error);
    EXPECT_EQ(read(sheet, GetParam().ids), GetParam().expected);
}

std::string case_name(const ::testing::TestParamInfo<RecalcCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Ordering, Recalculation,
    ::testing::Values(
        RecalcCase{"CycleListsDependentsSortedByBytes",
                   {{"C1", "=A1"}, {"B1", "=A1"}, {"A1", "=B1"}, {"a1", "=C1"}, {"D1", "5"}},
                   "#CIRCULAR! Cycle detected involving: A1, B1, C1, a1",
                   "D1",
                   "D1=_"},
        RecalcCase{"LowerCaseIdsAreOtherCells",
                   {{"a1", "5"}, {"B1", "=a1"}, {"C1", "=A1"}},
                   "",
                   "a1 A1 B1 C1",
                   "a1=5 A1=_ B1=_ C1=_"},
        RecalcCase{"RangeOverMoreThanTheLimitAddsNoDependency",
                   {{"B1", "=SUM(A1:Z5000)"}, {"A1", "=B1"}},
                   "",
                   "B1",
                   "B1=#SIZE! range exceeds 100000 cells"},
        RecalcCase{"WholeRowIsBoundedByTheUsedExtent",
                   {{"A1", "1"}, {"B1", "2"}, {"C2", "=SUM(1:1)"}},
                   "",
                   "C2",
                   "C2=3"},
        RecalcCase{"ParseErrorBecomesTheCellsError",
                   {{"A1", "=1+"}, {"B1", "=A1"}},
                   "",
                   "A1 B1",
                   "A1=Unexpected token: Eof () B1=Unexpected token: Eof ()"},
        RecalcCase{"LettersPastTheLastColumnNameTheCellByText",
                   {{"A1", "=ZZZZZZZZ1*2"}, {"ZZZZZZZZ1", "=B1+1"}, {"B1", "1"}},
                   "",
                   "A1 MWLQKWU1",
                   "A1=4 MWLQKWU1=_"},
        RecalcCase{"RowZeroIsACellOfItsOwn", {{"A2", "=A0+1"}, {"A0", "=5"}}, "", "A2", "A2=6"},
        RecalcCase{"CycleThroughOwnSpillIsFoundInALaterPass",
                   {{"A1", "=SEQUENCE(3)+0*COUNT(B1)"}, {"B1", "=A3"}},
                   "#CIRCULAR! Cycle detected involving: A1, B1",
                   "A2 A3",
                   "A2=_ A3=_"}),
    case_name);

TEST(Spills, RecordsRegionsAndOwners) {
    Sheet sheet;
    write(sheet, {{"B2", "={1,2;3,4}"}, {"A1", "=7"}});
    EXPECT_EQ(region(sheet, "B2"), "2x2");
    EXPECT_EQ(sheet.owner_of("C3"), "B2");
    EXPECT_EQ(sheet.owner_of("B2"), "B2");
    EXPECT_EQ(region(sheet, "C3"), "none");
    EXPECT_EQ(region(sheet, "A1"), "none");  // a single value records no region
    EXPECT_EQ(sheet.owner_of("A1"), std::nullopt);
    ASSERT_NE(sheet.spill_array("B2"), nullptr);
    EXPECT_EQ(sheet.spill_array("B2")->at(1, 0).as_double(), 3);
    EXPECT_EQ(sheet.spill_array("C3"), nullptr);
}

TEST(Spills, BlockedByTextInputAndByASpillPlacedEarlierInThePass) {
    Sheet sheet;
    write(
        sheet,
        {{"A2", "=SEQUENCE(1,3)"}, {"B1", "=SEQUENCE(2)"}, {"C5", "x"}, {"A5", "=SEQUENCE(1,3)"}});
    EXPECT_EQ(read(sheet, "A2 B2 C2 B1 A5 B5 C5"),
              "A2=1 B2=2 C2=3 B1=#SPILL! A5=#SPILL! B5=_ C5=x");
    EXPECT_EQ(sheet.owner_of("B2"), "A2");
    EXPECT_EQ(region(sheet, "B1"), "none");
}

TEST(Spills, SheetEdgeBlocksSpillsPastTheLastRowOrColumn) {
    Sheet sheet;
    write(sheet, {{"A4294967295", "=SEQUENCE(2)"},
                  {"MWLQKWU1", "=SEQUENCE(1,2)"},
                  {"B4294967295", "=SEQUENCE(1,2)"},
                  {"MWLQKWT1", "=SEQUENCE(1,2)"}});
    EXPECT_EQ(read(sheet, "A4294967295 MWLQKWU1 B4294967295 C4294967295 MWLQKWT1 MWLQKWU1"),
              "A4294967295=#SPILL! MWLQKWU1=#SPILL! B4294967295=1 C4294967295=2 "
              "MWLQKWT1=#SPILL! MWLQKWU1=#SPILL!");
}

TEST(Spills, NonCanonicalAnchorsDoNotSpill) {
    Sheet sheet;
    write(sheet, {{"a1", "=SEQUENCE(3)"}, {"A01", "={5,6}"}, {"A0", "={7,8}"}});
    EXPECT_EQ(read(sheet, "a1 a2 A2 AG1 AG2 A01 B1 A0 B0"),
              "a1=1 a2=_ A2=_ AG1=_ AG2=_ A01=5 B1=_ A0=7 B0=_");
    EXPECT_EQ(region(sheet, "a1"), "none");
    EXPECT_EQ(sheet.owner_of("a1"), std::nullopt);
}

TEST(Spills, EmptyResultLeavesTheAnchorEmpty) {
    Sheet sheet;
    write(sheet, {{"A1", "=SEQUENCE(B1)"}, {"B1", "2"}});
    EXPECT_EQ(read(sheet, "A1 A2"), "A1=1 A2=2");
    std::vector<CellInputChange> nan;
    nan.push_back({"B1", CellInput::typed(CellValue::number(std::nan("")))});
    EXPECT_FALSE(sheet.set_cells_typed(nan));
    EXPECT_EQ(read(sheet, "A1 A2"), "A1=_ A2=_");
    EXPECT_EQ(region(sheet, "A1"), "0x1");
    ASSERT_NE(sheet.spill_array("A1"), nullptr);
    EXPECT_TRUE(sheet.spill_array("A1")->empty());
}

TEST(Cycles, StaleSpillOwnersDoNotMakeACycle) {
    Sheet sheet;
    write(sheet, {{"A1", "=SEQUENCE(3)"}, {"B1", "=A3"}});
    EXPECT_EQ(read(sheet, "B1"), "B1=3");
    // A3 was filled by A1's spill: read through last time's owners, B1 would wait for A1,
    // which now waits for B1.
    EXPECT_EQ(write(sheet, {{"A1", "=B1+1"}}), "");
    EXPECT_EQ(read(sheet, "A1 A2 A3 B1"), "A1=1 A2=_ A3=_ B1=_");
}

TEST(Cycles, LoopThroughASpillThatComesBackIsReported) {
    Sheet sheet;
    write(sheet, {{"A1", "=SEQUENCE(3)"}, {"B1", "=A3"}});
    // A1 now reads B1, which reads A1's own spill: the same spill comes back, so the loop
    // through it is real, whichever way the first pass was ordered.
    EXPECT_EQ(write(sheet, {{"A1", "=B1+SEQUENCE(3)"}}),
              "#CIRCULAR! Cycle detected involving: A1, B1");
    EXPECT_EQ(region(sheet, "A1"), "none");
    EXPECT_EQ(write(sheet, {}), "#CIRCULAR! Cycle detected involving: A1, B1");
    EXPECT_EQ(write(sheet, {{"B1", "7"}}), "");
    EXPECT_EQ(read(sheet, "A1 A3 B1"), "A1=8 A3=10 B1=7");
}

TEST(Pins, CountTowardTheUsedExtent) {
    Sheet sheet;
    write(sheet, {{"A1", "=SUM(B:B)"}});
    EXPECT_FALSE(sheet.pin_value("B4", {{CellValue::number(1)}, {CellValue::number(2)}}));
    EXPECT_EQ(read(sheet, "A1 B5"), "A1=3 B5=2");
    EXPECT_FALSE(sheet.pin_value("A4294967295", {{CellValue::number(1), CellValue::number(2)},
                                                 {CellValue::number(3), CellValue::number(4)}}));
    EXPECT_EQ(read(sheet, "A4294967295"), "A4294967295=#SPILL!");
}

TEST(Names, ExpansionPastTheBoundGivesAnErrorValue) {
    Sheet sheet;
    EXPECT_FALSE(sheet.set_name("N_0", "=B1"));
    for (int i = 1; i <= 30; ++i) {
        std::string prev = "N_" + std::to_string(i - 1);
        EXPECT_FALSE(sheet.set_name("N_" + std::to_string(i), "=" + prev + "+" + prev));
    }
    write(sheet, {{"B1", "1"}, {"A1", "=N_10"}, {"A2", "=N_30"}});
    EXPECT_EQ(read(sheet, "A1 A2"), "A1=1024 A2=#VALUE! name expansion too large");
}

}  // namespace
}  // namespace orvel::core

namespace orvel::core {
namespace {

// Ranges are read a block at a time from the position index: row by row, gaps Empty, only
// canonical ids, and cells removed since no longer there.
TEST(Ranges, ReadRowByRowAcrossGapsAndPages) {
    Sheet sheet;
    testing::Cells cells;
    auto token = [](int row, char col) { return "r" + std::to_string(row) + col + ";"; };
    auto present = [](int row, char col) { return (row * 7 + col) % 5 != 0; };
    for (int row = 1; row <= 100; ++row) {
        for (char col : {'B', 'C', 'D'}) {
            if (present(row, col)) cells.push_back({col + std::to_string(row), token(row, col)});
        }
    }
    cells.push_back({"c50", "lower-case id;"});
    cells.push_back({"A4294967290", "y;"});
    cells.push_back({"A4294967295", "x;"});
    cells.push_back({"E1", "=CONCAT(B3:D90)"});
    cells.push_back({"E2", "=CONCAT(D90:B3)"});
    cells.push_back({"E3", "=CONCAT(A4294967280:A4294967295)"});
    write(sheet, cells);
    auto expected = [&](int skipped_row) {
        std::string out;
        for (int row = 3; row <= 90; ++row) {
            for (char col : {'B', 'C', 'D'}) {
                if (present(row, col) && row != skipped_row) out += token(row, col);
            }
        }
        return out;
    };
    EXPECT_EQ(read(sheet, "E1"), "E1=" + expected(0));
    EXPECT_EQ(read(sheet, "E2"), "E2=" + expected(0));
    EXPECT_EQ(read(sheet, "E3"), "E3=y;x;");
    write(sheet, {{"B40", ""}, {"C40", ""}, {"D40", ""}, {"A4294967295", ""}});
    EXPECT_EQ(read(sheet, "E1"), "E1=" + expected(40));
    EXPECT_EQ(read(sheet, "E3"), "E3=y;");
}

TEST(FormulaStore, TreesSurviveRepackingWithNamesAndWithout) {
    Sheet sheet;
    EXPECT_FALSE(sheet.set_name("TAX", "=A1*2"));
    testing::Cells cells{{"A1", "1"}};
    for (int i = 1; i <= 3000; ++i) {
        cells.push_back({"B" + std::to_string(i), "=TAX+" + std::to_string(i)});
        cells.push_back({"C" + std::to_string(i), "=A1+" + std::to_string(i)});
    }
    write(sheet, cells);
    // Rewrite every formula a few times: the dropped trees outgrow the live ones.
    for (int round = 2; round <= 5; ++round) {
        testing::Cells edits{{"A1", std::to_string(round)}};
        for (int i = 1; i <= 3000; ++i) {
            edits.push_back({"B" + std::to_string(i), "=TAX+" + std::to_string(i + round)});
            edits.push_back({"C" + std::to_string(i), "=A1+" + std::to_string(i + round)});
        }
        write(sheet, edits);
        EXPECT_EQ(read(sheet, "B1 C3000"), "B1=" + std::to_string(2 * round + 1 + round) +
                                               " C3000=" + std::to_string(round + 3000 + round));
    }
    EXPECT_FALSE(sheet.set_name("TAX", "=A1*3"));
    EXPECT_EQ(read(sheet, "B2"), "B2=22");
}

}  // namespace
}  // namespace orvel::core
