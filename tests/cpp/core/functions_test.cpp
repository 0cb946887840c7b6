// The built-in function bodies through formulas.
#include "core/functions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/unique_rows.h"
#include "core/value_rules.h"
#include "eval_support.h"

namespace orvel::core {
namespace {

using testing::eval_formula;
using testing::FormulaCase;
using testing::MapLookup;

// A1:B5 holds {3,"b";1,"a";2,"a";"x",#N/A;<empty>,TRUE}; C1 holds #N/A.
const MapLookup& function_cells() {
    static const MapLookup lookup = [] {
        MapLookup l;
        l.set("A1", CellValue::number(3)).set("B1", CellValue::text("b"));
        l.set("A2", CellValue::number(1)).set("B2", CellValue::text("a"));
        l.set("A3", CellValue::number(2)).set("B3", CellValue::text("a"));
        l.set("A4", CellValue::text("x")).set("B4", CellValue::error(ErrorKind::NotAvailable));
        l.set("B5", CellValue::boolean(true));
        l.set("C1", CellValue::error(ErrorKind::NotAvailable));
        return l;
    }();
    return lookup;
}

class Functions : public ::testing::TestWithParam<FormulaCase> {};

TEST_P(Functions, GiveTheExpectedValueOrFailure) {
    testing::expect_on_both_paths(GetParam(), function_cells());
}

INSTANTIATE_TEST_SUITE_P(
    Aggregates, Functions,
    ::testing::Values(
        FormulaCase{"=SUM()", "-0"}, FormulaCase{"=SUM(-0,0)", "0"},
        FormulaCase{"=SUM(1,\"2\",TRUE)", "4"}, FormulaCase{"=SUM(\" 2\")", "-0"},
        FormulaCase{"=SUM(A1:B5)", "7"}, FormulaCase{"=SUM(0.1,0.2,0.3)", "0.6000000000000001"},
        FormulaCase{"=SUM(10^308,10^308,-10^308)", "inf"},
        FormulaCase{"=SUM(SEQUENCE(4294967295,\"NaN\"))", "-0"}, FormulaCase{"=AVERAGE()", "_"},
        FormulaCase{"=AVERAGE(1,\"x\",2)", "1.5"}, FormulaCase{"=AVERAGE(A1:A5)", "2"},
        FormulaCase{"=MIN()", "_"}, FormulaCase{"=MAX(-5,\"NaN\")", "-5"},
        FormulaCase{"=MIN(\"NaN\")", "inf"}, FormulaCase{"=MIN(A1:B5)", "1"},
        FormulaCase{"=MAX(C1,\"7\",TRUE)", "7"}, FormulaCase{"=COUNT(1,\"x\",2)", "2"},
        // -0 is below +0, whichever comes first.
        FormulaCase{"=MAX(-0,0)", "0"}, FormulaCase{"=MAX(0,-0)", "0"},
        FormulaCase{"=MIN(-0,0)", "-0"}, FormulaCase{"=MIN(0,-0)", "-0"},
        FormulaCase{"=MAX(-0,-0)", "-0"}, FormulaCase{"=MIN(0,0)", "0"},
        FormulaCase{"=-MAX(-0+-0+-0,-0*-0*-0,ABS(-0))", "-0"},
        FormulaCase{"=COUNT(TRUE,\"3\")", "2"}, FormulaCase{"=COUNT(A1:B5,C1)", "4"},
        FormulaCase{"=CONCAT(\"a\",1,TRUE)", "'a1TRUE'"},
        FormulaCase{"=CONCAT(A5,\"z\",C1,-0.5)", "'z#N/A-0.5'"},
        FormulaCase{"=CONCAT({1,2;3,4},\"|\")", "'1234|'"}, FormulaCase{"=CONCAT()", "''"}));

INSTANTIATE_TEST_SUITE_P(
    Elementwise, Functions,
    ::testing::Values(
        FormulaCase{"=ABS(\"x\")", "_"}, FormulaCase{"=ABS()", "_"},
        FormulaCase{"=ABS({-1,2;-3,4})", "{1,2;3,4}"}, FormulaCase{"=ABS(\"x\",-3)", "3"},
        FormulaCase{"=ABS(C1:C2)", "{_;_}"},
        FormulaCase{"=ABS(SEQUENCE(4294967295,\"NaN\"))", "{4294967295x0}"},
        FormulaCase{"=ROUND(2.5)", "3"}, FormulaCase{"=ROUND(-2.5)", "-3"},
        FormulaCase{"=ROUND(3.456,2)", "3.46"}, FormulaCase{"=ROUND(1234,-2)", "1200"},
        FormulaCase{"=ROUND(3.7,0.9)", "4"}, FormulaCase{"=ROUND(\"abc\",2)", "2"},
        FormulaCase{"=ROUND(\"abc\")", "_"}, FormulaCase{"=ROUND({1.26,2.31},{1,2})", "{1.3,2.3}"},
        FormulaCase{"=ROUND(1.5,\"NaN\")", "2"}, FormulaCase{"=ROUND(1,400)", "NaN"},
        FormulaCase{"=ROUND(5,-10^300)", "NaN"}, FormulaCase{"=ROUND(1.005,2)", "1"},
        FormulaCase{"=ROUND(-0.4)", "-0"}, FormulaCase{"=LEN(\"h\xC3\xA9llo\")", "6"},
        FormulaCase{"=LEN(TRUE)", "4"}, FormulaCase{"=LEN(A5)", "0"}, FormulaCase{"=LEN(C1)", "4"},
        FormulaCase{"=LEN(1/3)", "18"},
        FormulaCase{"=UPPER(\"stra\xC3\x9F"
                    "e\")",
                    "'STRASSE'"},
        FormulaCase{"=LOWER(\"ABBA@Z[\")", "'abba@z['"}, FormulaCase{"=LOWER(TRUE)", "'true'"},
        FormulaCase{"=LOWER(\"\xC4\xB0\")", "'i\xCC\x87'"},
        FormulaCase{"=UPPER(A5)", "''"}, FormulaCase{"=UPPER({\"a\",1})", "{'A','1'}"}));

INSTANTIATE_TEST_SUITE_P(
    If, Functions,
    ::testing::Values(FormulaCase{"=IF(0,1,2)", "2"}, FormulaCase{"=IF(\"x\",1)", "1"},
                      FormulaCase{"=IF(0,1)", "_"}, FormulaCase{"=IF()", "_"},
                      FormulaCase{"=IF({1,0},1,2)", "{1,2}"},
                      FormulaCase{"=IF({1;0},{1,2},3)", "{1,2;3,3}"},
                      FormulaCase{"=IF({1;0},{1;2;3},3)", "fail #VALUE! IF: incompatible rows"},
                      FormulaCase{"=IF({1,0},{1,2,3},3)", "fail #VALUE! IF: incompatible cols"},
                      FormulaCase{"=IF(TRUE,C1,2)", "#N/A"},
                      FormulaCase{"=IF(FALSE,1/0,2)", "fail #DIV/0!"},
                      FormulaCase{"=COUNT(IF(SEQUENCE(1000),TRANSPOSE(SEQUENCE(100))))", "100000"},
                      FormulaCase{"=IF(SEQUENCE(1001),TRANSPOSE(SEQUENCE(100)))",
                                  "fail #SIZE! IF: result exceeds 100000 cells"},
                      FormulaCase{"=IF(SEQUENCE(100000),TRANSPOSE(SEQUENCE(100000)))",
                                  "fail #SIZE! IF: result exceeds 100000 cells"},
                      FormulaCase{"=IF(SEQUENCE(4294967295,\"NaN\"),SEQUENCE(4294967295,\"NaN\"),"
                                  "SEQUENCE(4294967295,\"NaN\"))",
                                  "{4294967295x0}"}));

INSTANTIATE_TEST_SUITE_P(
    Sequence, Functions,
    ::testing::Values(
        FormulaCase{"=SEQUENCE(2,3)", "{1,2,3;4,5,6}"},
        FormulaCase{"=SEQUENCE(3,1,10,2)", "{10;12;14}"}, FormulaCase{"=SEQUENCE(2.9)", "{1;2}"},
        FormulaCase{"=SEQUENCE(1)", "1"}, FormulaCase{"=SEQUENCE(2,\"x\",0.5,\"y\")", "{0.5;1.5}"},
        FormulaCase{"=SEQUENCE(\"2\",TRUE,C1)", "{1;2}"},
        FormulaCase{"=SEQUENCE(0)", "fail #VALUE! SEQUENCE: rows and cols must be >= 1"},
        FormulaCase{"=SEQUENCE(2,0.5)", "fail #VALUE! SEQUENCE: rows and cols must be >= 1"},
        FormulaCase{"=SEQUENCE(\"x\")", "fail #VALUE! SEQUENCE: rows required"},
        FormulaCase{"=SEQUENCE()", "fail #VALUE! SEQUENCE: rows required"},
        FormulaCase{"=SEQUENCE(1000,101)", "fail #SIZE! SEQUENCE exceeds 100000 cells"},
        FormulaCase{"=SEQUENCE(10^300)", "fail #SIZE! SEQUENCE exceeds 100000 cells"},
        FormulaCase{"=COUNT(SEQUENCE(1000,100))", "100000"},
        FormulaCase{"=SEQUENCE(\"NaN\")", "{0x1}"},
        FormulaCase{"=SEQUENCE(4294967295,\"NaN\")", "{4294967295x0}"},
        FormulaCase{"=LEN(SEQUENCE(2,1,10^308,10^308))", "{309;3}"}));

INSTANTIATE_TEST_SUITE_P(
    TransposeAndFilter, Functions,
    ::testing::Values(
        FormulaCase{"=TRANSPOSE({1,2,3;4,5,6})", "{1,4;2,5;3,6}"},
        FormulaCase{"=TRANSPOSE(7)", "7"}, FormulaCase{"=TRANSPOSE(1,2)", "1"},
        FormulaCase{"=TRANSPOSE()", "fail #VALUE! TRANSPOSE: array required"},
        FormulaCase{"=TRANSPOSE(SEQUENCE(4294967295,\"NaN\"))", "{0x4294967295}"},
        FormulaCase{"=FILTER(A1:A5,A1:A5>1)", "{3;2;'x'}"},
        FormulaCase{"=FILTER(A1:B5,{1;0;1;0;0})", "{3,'b';2,'a'}"},
        FormulaCase{"=FILTER({1,2;3,4},{1,0;0,1})", "{1;4}"},
        FormulaCase{"=FILTER({1,2},{0,0})", "#N/A"},
        FormulaCase{"=FILTER({1;2},{1;1;1})",
                    "fail #VALUE! FILTER: condition shape must match array or be a column vector"},
        FormulaCase{"=FILTER({1,2,3},{1,0})",
                    "fail #VALUE! FILTER: condition shape must match array or be a column vector"},
        FormulaCase{"=FILTER({1,2},1)", "{1,2}"},
        FormulaCase{"=FILTER()", "fail #VALUE! FILTER: array required"},
        FormulaCase{"=FILTER({1})", "fail #VALUE! FILTER: condition required"},
        FormulaCase{"=FILTER(SEQUENCE(\"NaN\"),SEQUENCE(\"NaN\"))", "#N/A"}));

// Sorting and UNIQUE over plain values are compared with a model of their rules in
// tests/python/test_operator_properties.py; here errors, Empty, ranges, NaN and arguments.
INSTANTIATE_TEST_SUITE_P(
    Sort, Functions,
    ::testing::Values(FormulaCase{"=SORT(A1:B5,2)", "{_,TRUE;1,'a';2,'a';3,'b';'x',#N/A}"},
                      FormulaCase{"=SORT(A1:A5)", "{1;2;3;'x';_}"},
                      FormulaCase{"=SORT(B1:B5)", "{TRUE;'a';'a';'b';#N/A}"},
                      FormulaCase{"=SORT(C1:C3)", "{_;_;#N/A}"},
                      FormulaCase{"=SORT(A1:B5,3)", "fail #VALUE! SORT: sort_col out of range"},
                      FormulaCase{"=SORT({1},0)", "fail #VALUE! SORT: sort_col out of range"},
                      FormulaCase{"=SORT({1},\"NaN\")", "fail #VALUE! SORT: sort_col out of range"},
                      FormulaCase{"=SORT({2;1},\"x\")", "{1;2}"},
                      FormulaCase{"=SORT({2;1},1,\"\")", "{2;1}"},
                      FormulaCase{"=SORT()", "fail #VALUE! SORT: array required"},
                      FormulaCase{"=SORT(SEQUENCE(4294967295,\"NaN\"))",
                                  "fail #VALUE! SORT: sort_col out of range"},
                      FormulaCase{"=SORT({3;\"NaN\"*1;1;\"nan\"+0;2})", "{1;2;3;NaN;NaN}"},
                      FormulaCase{"=SORT({3;\"NaN\"*1;1;2},1,FALSE)", "{NaN;3;2;1}"}));

INSTANTIATE_TEST_SUITE_P(
    Unique, Functions,
    ::testing::Values(FormulaCase{"=UNIQUE(\"NaN\"*{1;1})", "{NaN;NaN}"},
                      FormulaCase{"=UNIQUE({1,2},9)", "{1,2}"},
                      FormulaCase{"=UNIQUE()", "fail #VALUE! UNIQUE: array required"},
                      FormulaCase{"=UNIQUE(SEQUENCE(4294967295,\"NaN\"))", "{1x0}"},
                      FormulaCase{"=UNIQUE(SEQUENCE(\"NaN\"))", "{0x1}"}));

TEST(Unique, ErrorsCountTheirKindAndMessagePresence) {
    auto row = [](FormulaError e) { return CellValue::error(std::move(e)); };
    ArrayValue column(6, 1,
                      {row(FormulaError(ErrorKind::Value)), row(FormulaError::value("")),
                       row(FormulaError(ErrorKind::Value)), row(FormulaError::value("")),
                       row(FormulaError::value("m")), row(FormulaError::other("#VALUE! m"))});
    const Registry registry;
    auto result = fn_unique({&column, 1}, registry);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->rows(), 4u);
    EXPECT_FALSE(result->at(0, 0).error_has_message());
    EXPECT_TRUE(result->at(1, 0).error_has_message());
    EXPECT_EQ(result->at(2, 0).error_value(), FormulaError::value("m"));
    EXPECT_EQ(result->at(3, 0).error_kind(), ErrorKind::Other);
}

TEST(Unique, KeepsFirstSeenOrderOverManyRows) {
    // 100000 rows holding 1000 distinct values, in first-seen order 999, 998, ... 0.
    std::vector<CellValue> cells;
    for (int i = 0; i < 100000; ++i) cells.push_back(CellValue::number((999 - i % 1000) * 1.0));
    ArrayValue column(100000, 1, std::move(cells));
    const Registry registry;
    auto result = fn_unique({&column, 1}, registry);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->rows(), 1000u);
    for (std::uint32_t i = 0; i < 1000; ++i) EXPECT_EQ(result->at(i, 0).as_double(), 999.0 - i);
}

// Rows whose hashes collide are still told apart by their values: with no hash bits every row
// lands on the same hash, and the result must not change.
TEST(Unique, RowsWithCollidingHashesAreComparedByValue) {
    const CellValue n1 = CellValue::number(1), n2 = CellValue::number(2);
    const CellValue nan = CellValue::number(std::nan(""));
    struct Case {
        ArrayValue array;
        std::string expected;
    };
    const Case cases[] = {
        {ArrayValue(6, 1,
                    {n1, n2, n1, CellValue::text("1"), CellValue::boolean(true), n2}),
         "{1;2;'1';TRUE}"},
        {ArrayValue(4, 2, {n1, n2, n2, n1, n1, n2, n2, n1}), "{1,2;2,1}"},
        {ArrayValue(3, 1, {CellValue::number(-0.0), CellValue::number(0), n1}), "{-0;1}"},
        {ArrayValue(4, 1,
                    {CellValue::error(FormulaError::value("m")),
                     CellValue::error(FormulaError::value("n")),
                     CellValue::error(ErrorKind::NotAvailable),
                     CellValue::error(FormulaError::value("m"))}),
         "{#VALUE! m;#VALUE! n;#N/A}"},
        {ArrayValue(3, 1, {nan, nan, n1}), "{NaN;NaN;1}"},
        {ArrayValue(2, 1, {CellValue::custom("u", "a"), CellValue::custom("u", "b")}),
         "{<u:a>;<u:b>}"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(testing::typed(unique_rows(c.array, 0)), c.expected);
        EXPECT_EQ(testing::typed(unique_rows(c.array, 1)), c.expected);
        EXPECT_EQ(testing::typed(unique_rows(c.array, kWholeRowHash)), c.expected);
    }
}

TEST(Sort, NotANumberKeysStillSortEveryRowOnce) {
    // Alternating NaN and numbers, with a second column naming each row.
    std::vector<CellValue> cells;
    for (int i = 0; i < 1000; ++i) {
        double key = i % 3 == 0 ? std::nan("") : (i * 7919) % 1000;
        cells.push_back(CellValue::number(key));
        cells.push_back(CellValue::number(i));
    }
    ArrayValue array(1000, 2, std::move(cells));
    const Registry registry;
    auto result = fn_sort({&array, 1}, registry);
    ASSERT_TRUE(result);
    std::vector<bool> seen(1000);
    bool in_nans = false;
    double previous = -1;
    for (std::uint32_t i = 0; i < 1000; ++i) {
        double key = result->at(i, 0).as_double();
        auto name = static_cast<std::size_t>(result->at(i, 1).as_double());
        EXPECT_FALSE(seen[name]);
        seen[name] = true;
        if (std::isnan(key)) {
            in_nans = true;
        } else {
            EXPECT_FALSE(in_nans) << "number after NaN at row " << i;
            EXPECT_LE(previous, key);
            previous = key;
        }
    }
}

struct OrderCase {
    CellValue a, b;
    Ordering expected;
};

TEST(CompareCellValues, OrdersKindsThenValues) {
    const OrderCase cases[] = {
        {CellValue::number(1), CellValue::boolean(true), Ordering::Equal},
        {CellValue::boolean(false), CellValue::number(0.5), Ordering::Less},
        {CellValue::text("b"), CellValue::text("ab"), Ordering::Greater},
        {CellValue::text("a"), CellValue::text("ab"), Ordering::Less},
        {CellValue(), CellValue::text("zzz"), Ordering::Greater},
        {CellValue::number(std::nan("")), CellValue::number(3), Ordering::Equal},
        {CellValue::number(1e300), CellValue::text(""), Ordering::Less},
        {CellValue(), CellValue::error(ErrorKind::DivByZero), Ordering::Less},
        {CellValue::error(ErrorKind::NotAvailable), CellValue::error(ErrorKind::DivByZero),
         Ordering::Greater},
        {CellValue::error(ErrorKind::Value), CellValue::custom("a", "b"), Ordering::Less},
        {CellValue::custom("a", "z"), CellValue::custom("b", "a"), Ordering::Less},
        {CellValue::custom("a", "b"), CellValue::custom("a", "a"), Ordering::Greater},
        {CellValue::text("\xC3\xA9"), CellValue::text("z"), Ordering::Greater},
    };
    for (const OrderCase& c : cases) {
        EXPECT_EQ(compare_cell_values(c.a, c.b), c.expected)
            << testing::typed(c.a) << " vs " << testing::typed(c.b);
    }
}

TEST(Truthiness, FollowsKindRules) {
    EXPECT_FALSE(is_truthy(CellValue::number(-0.0)));
    EXPECT_TRUE(is_truthy(CellValue::number(std::nan(""))));
    EXPECT_FALSE(is_truthy(CellValue::text("")));
    EXPECT_TRUE(is_truthy(CellValue::text("0")));
    EXPECT_FALSE(is_truthy(CellValue()));
    EXPECT_FALSE(is_truthy(CellValue::error(ErrorKind::Value)));
    EXPECT_TRUE(is_truthy(CellValue::custom("t", "")));
}

}  // namespace
}  // namespace orvel::core
