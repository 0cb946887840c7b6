#include "core/a1.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace orvel::core::a1 {
namespace {

using namespace std::string_literals;

struct TextCase {
    std::string input;
    std::string expected;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.input; }

std::string describe(const Position& p) {
    return "(" + std::to_string(p.row) + ", " + std::to_string(p.col) + ")";
}

std::string describe(const ParsedRange& r) {
    return describe(r.start) + " end_col " + std::to_string(r.end_col) + " end_row " +
           (r.end_row ? std::to_string(*r.end_row) : "none") + " " + r.normalized;
}

template <class T>
std::string describe(const Expected<T, RangeParseError>& result) {
    return result ? describe(*result) : result.error().display();
}

const std::string kUnknownShape = "UnknownShape: input does not match any supported range form";

class CellIdParsing : public ::testing::TestWithParam<TextCase> {};

TEST_P(CellIdParsing, ReadsLooseInputOrNamesTheFault) {
    EXPECT_EQ(describe(parse_cell_id(GetParam().input)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CellIdParsing,
    ::testing::Values(
        TextCase{"  $b$12 ", "(11, 1)"}, TextCase{"a 1", "(0, 0)"},
        TextCase{"A\u00A01", "(0, 0)"},  // no-break space is white space
        TextCase{"B00012", "(11, 1)"}, TextCase{"A4294967295", "(4294967294, 0)"},
        TextCase{"MWLQKWU1", "(0, 4294967294)"}, TextCase{"mwlqkwu1", "(0, 4294967294)"},
        TextCase{"B0", "InvalidRow: \"0\""},
        TextCase{"A4294967296", "InvalidRow: \"4294967296\""},
        TextCase{"MWLQKWV1", "InvalidColumn: \"MWLQKWV\""},
        TextCase{"B", "UnknownShape: input does not match any supported range form"},
        TextCase{"12", "UnknownShape: input does not match any supported range form"},
        TextCase{"A1:B2", "UnknownShape: input does not match any supported range form"},
        TextCase{"A1x", "UnknownShape: input does not match any supported range form"},
        TextCase{"\u00E91", "UnknownShape: input does not match any supported range form"},
        TextCase{"", "Empty: range string is empty"}, TextCase{"$", "Empty: range string is empty"},
        TextCase{" $\t$ ", "Empty: range string is empty"}));

// Both ends of each letter range, in either case, and the characters just outside them.
INSTANTIATE_TEST_SUITE_P(
    LetterBounds, CellIdParsing,
    ::testing::Values(TextCase{"a9", "(8, 0)"}, TextCase{"z9", "(8, 25)"},
                      TextCase{"Z9", "(8, 25)"}, TextCase{"zA1", "(0, 676)"},
                      TextCase{"Az1", "(0, 51)"}, TextCase{"@1", kUnknownShape},
                      TextCase{"[1", kUnknownShape}, TextCase{"`1", kUnknownShape},
                      TextCase{"{1", kUnknownShape}, TextCase{"A/", kUnknownShape},
                      TextCase{"A:", kUnknownShape}));

class RangeParsing : public ::testing::TestWithParam<TextCase> {};

TEST_P(RangeParsing, OrdersCornersAndKeepsTheNormalizedText) {
    EXPECT_EQ(describe(parse_range(GetParam().input)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RangeParsing,
    ::testing::Values(TextCase{"a1:c3", "(0, 0) end_col 2 end_row 2 A1:C3"},
                      TextCase{"C3:A1", "(0, 0) end_col 2 end_row 2 C3:A1"},
                      TextCase{"B5:A1", "(0, 0) end_col 1 end_row 4 B5:A1"},
                      TextCase{" $b : $d ", "(0, 1) end_col 3 end_row none B:D"},
                      TextCase{"A5:B", "(4, 0) end_col 1 end_row none A5:B"},
                      TextCase{"A:B5", kUnknownShape}, TextCase{"1:5", kUnknownShape},
                      TextCase{"A1", kUnknownShape}, TextCase{"A1:B2:C3", kUnknownShape},
                      TextCase{"A1:", kUnknownShape}, TextCase{":A1", kUnknownShape},
                      TextCase{"A1x:B2", kUnknownShape},
                      TextCase{"", "Empty: range string is empty"},
                      // Rows are checked before columns, the first end before the second.
                      TextCase{"A0:B0", "InvalidRow: \"0\""},
                      TextCase{"A1:B00", "InvalidRow: \"00\""},
                      TextCase{"ZZZZZZZZ1:A0", "InvalidRow: \"0\""},
                      TextCase{"ZZZZZZZZ1:YYYYYYYY1", "InvalidColumn: \"ZZZZZZZZ\""},
                      TextCase{"A1:YYYYYYYY1", "InvalidColumn: \"YYYYYYYY\""},
                      TextCase{"ZZZZZZZZ:B5", "InvalidColumn: \"ZZZZZZZZ\""}));

// Letters at both ends of the alphabet come out upper-cased in the normalized text.
INSTANTIATE_TEST_SUITE_P(
    LetterBounds, RangeParsing,
    ::testing::Values(TextCase{"z1:az2", "(0, 25) end_col 51 end_row 1 Z1:AZ2"},
                      TextCase{"a1:Za2", "(0, 0) end_col 676 end_row 1 A1:ZA2"},
                      TextCase{"z:a", "(0, 0) end_col 25 end_row none Z:A"},
                      TextCase{"Zz3:aA", "(2, 26) end_col 701 end_row none ZZ3:AA"},
                      TextCase{"mwlqkwu4294967295:a1",
                               "(0, 0) end_col 4294967294 end_row 4294967294 "
                               "MWLQKWU4294967295:A1"},
                      TextCase{"a1:mwlqkwv1", "InvalidColumn: \"MWLQKWV\""},
                      TextCase{"A1:B4294967296", "InvalidRow: \"4294967296\""},
                      TextCase{"`1:A1", kUnknownShape}, TextCase{"A1:{1", kUnknownShape},
                      TextCase{"@:A", kUnknownShape}, TextCase{"A:[", kUnknownShape}));

TEST(UnboundedRange, OpenDownwardRangesOnly) {
    EXPECT_TRUE(is_unbounded_range("A:C"));
    EXPECT_TRUE(is_unbounded_range("a1:b"));
    EXPECT_FALSE(is_unbounded_range("A1:B2"));
    EXPECT_FALSE(is_unbounded_range("hello"));
    EXPECT_FALSE(is_unbounded_range(""));
    EXPECT_FALSE(is_unbounded_range("A:B5"));
}

struct ColumnCase {
    std::string letters;
    std::string expected;  // the index, or the error display
};

class ColumnLettersToIndex : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(ColumnLettersToIndex, BijectiveBase26FromZero) {
    auto index = col_to_index(GetParam().letters);
    EXPECT_EQ(index ? std::to_string(*index) : index.error().display(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ColumnLettersToIndex,
    ::testing::Values(ColumnCase{"A", "0"}, ColumnCase{"Z", "25"}, ColumnCase{"aa", "26"},
                      ColumnCase{"az", "51"}, ColumnCase{"a", "0"}, ColumnCase{"z", "25"},
                      ColumnCase{"zZ", "701"}, ColumnCase{"XFD", "16383"},
                      ColumnCase{"mwlqkwu", "4294967294"},
                      ColumnCase{"mwlqkwv", "InvalidColumn: \"mwlqkwv\""},
                      ColumnCase{"@", "InvalidColumn: \"@\""},
                      ColumnCase{"[", "InvalidColumn: \"[\""},
                      ColumnCase{"`", "InvalidColumn: \"`\""},
                      ColumnCase{"A{", "InvalidColumn: \"A{\""},
                      ColumnCase{"MWLQKWU", "4294967294"},
                      ColumnCase{"MWLQKWV", "InvalidColumn: \"MWLQKWV\""},
                      ColumnCase{"A1", "InvalidColumn: \"A1\""},
                      ColumnCase{"", "InvalidColumn: \"\""},
                      ColumnCase{" A", "InvalidColumn: \" A\""},  // taken as it is
                      ColumnCase{"$A", "InvalidColumn: \"$A\""}));

// The offending text is quoted so that every character stays visible.
INSTANTIATE_TEST_SUITE_P(
    DebugQuoting, ColumnLettersToIndex,
    ::testing::Values(
        ColumnCase{"a\"b\\c'", R"(InvalidColumn: "a\"b\\c'")"},
        ColumnCase{"\t\r\n"s + '\0', R"(InvalidColumn: "\t\r\n\0")"},
        ColumnCase{"\x01\x7F", R"(InvalidColumn: "\u{1}\u{7f}")"},
        ColumnCase{"\u00E9 \U0001F600", "InvalidColumn: \"\u00E9 \U0001F600\""},
        ColumnCase{"e\u0301", R"(InvalidColumn: "e\u{301}")"},             // combining mark
        ColumnCase{"\u200B\u00A0", R"(InvalidColumn: "\u{200b}\u{a0}")"},  // format, space
        ColumnCase{"\u2028\uE000\u0378", R"(InvalidColumn: "\u{2028}\u{e000}\u{378}")"},
        ColumnCase{"\xFF", "InvalidColumn: \"\uFFFD\""}));

TEST(ColumnIndexToLetters, SaturatesAtTheTop) {
    EXPECT_EQ(index_to_col(4294967294u), "MWLQKWU");
    EXPECT_EQ(index_to_col(4294967295u), "MWLQKWU");
}

TEST(ColumnIndexToLetters, RoundTripsThroughColToIndex) {
    for (std::uint32_t index :
         {0u, 1u, 25u, 26u, 675u, 676u, 701u, 702u, 18277u, 18278u, 123456789u, 4294967294u}) {
        auto back = col_to_index(index_to_col(index));
        ASSERT_TRUE(back) << index;
        EXPECT_EQ(*back, index);
    }
}

TEST(CellIdFormatting, LettersThenOneBasedRow) {
    EXPECT_EQ(format_cell_id(0, 0), "A1");
    EXPECT_EQ(format_cell_id(11, 1), "B12");
    EXPECT_EQ(format_cell_id(4294967294u, 4294967294u), "MWLQKWU4294967295");
    // The last row's 1-based number needs 33 bits.
    EXPECT_EQ(format_cell_id(4294967295u, 0), "A4294967296");
}

}  // namespace
}  // namespace orvel::core::a1
