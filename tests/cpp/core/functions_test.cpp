// The built-in function bodies through formulas.
#include "core/functions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

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
    static const Registry registry;
    EXPECT_EQ(eval_formula(GetParam().formula, function_cells(), registry), GetParam().expected);
}

const FormulaCase kAggregates[] = {{"=SUM()", "-0"},
                                   {"=SUM(-0,0)", "0"},
                                   {"=SUM(1,\"2\",TRUE)", "4"},
                                   {"=SUM(\" 2\")", "-0"},
                                   {"=SUM(A1:B5)", "7"},
                                   {"=SUM(0.1,0.2,0.3)", "0.6000000000000001"},
                                   {"=SUM(10^308,10^308,-10^308)", "inf"},
                                   {"=SUM(SEQUENCE(4294967295,\"NaN\"))", "-0"},
                                   {"=AVERAGE()", "_"},
                                   {"=AVERAGE(1,\"x\",2)", "1.5"},
                                   {"=AVERAGE(A1:A5)", "2"},
                                   {"=MIN()", "_"},
                                   {"=MAX(-5,\"NaN\")", "-5"},
                                   {"=MIN(\"NaN\")", "inf"},
                                   {"=MIN(A1:B5)", "1"},
                                   {"=MAX(C1,\"7\",TRUE)", "7"},
                                   {"=COUNT(1,\"x\",2)", "2"},
                                   {"=COUNT(TRUE,\"3\")", "2"},
                                   {"=COUNT(A1:B5,C1)", "4"},
                                   {"=CONCAT(\"a\",1,TRUE)", "'a1TRUE'"},
                                   {"=CONCAT(A5,\"z\",C1,-0.5)", "'z#N/A-0.5'"},
                                   {"=CONCAT({1,2;3,4},\"|\")", "'1234|'"},
                                   {"=CONCAT()", "''"}};

INSTANTIATE_TEST_SUITE_P(Aggregates, Functions, ::testing::ValuesIn(kAggregates));

const FormulaCase kElementwise[] = {{"=ABS(\"x\")", "_"},
                                    {"=ABS()", "_"},
                                    {"=ABS({-1,2;-3,4})", "{1,2;3,4}"},
                                    {"=ABS(\"x\",-3)", "3"},
                                    {"=ABS(C1:C2)", "{_;_}"},
                                    {"=ABS(SEQUENCE(4294967295,\"NaN\"))", "{4294967295x0}"},
                                    {"=ROUND(2.5)", "3"},
                                    {"=ROUND(-2.5)", "-3"},
                                    {"=ROUND(3.456,2)", "3.46"},
                                    {"=ROUND(1234,-2)", "1200"},
                                    {"=ROUND(3.7,0.9)", "4"},
                                    {"=ROUND(\"abc\",2)", "2"},
                                    {"=ROUND(\"abc\")", "_"},
                                    {"=ROUND({1.26,2.31},{1,2})", "{1.3,2.3}"},
                                    {"=ROUND(1.5,\"NaN\")", "2"},
                                    {"=ROUND(1,400)", "NaN"},
                                    {"=ROUND(5,-10^300)", "NaN"},
                                    {"=ROUND(1.005,2)", "1"},
                                    {"=ROUND(-0.4)", "-0"},
                                    {"=LEN(\"h\xC3\xA9llo\")", "6"},
                                    {"=LEN(TRUE)", "4"},
                                    {"=LEN(A5)", "0"},
                                    {"=LEN(C1)", "4"},
                                    {"=LEN(1/3)", "18"},
                                    {"=UPPER(\"stra\xC3\x9F"
                                     "e\")",
                                     "'STRASSE'"},
                                    {"=LOWER(TRUE)", "'true'"},
                                    {"=LOWER(\"\xC4\xB0\")", "'i\xCC\x87'"},
                                    {"=UPPER(A5)", "''"},
                                    {"=UPPER({\"a\",1})", "{'A','1'}"}};

INSTANTIATE_TEST_SUITE_P(Elementwise, Functions, ::testing::ValuesIn(kElementwise));

const FormulaCase kIf[] = {
    {"=IF(0,1,2)", "2"},
    {"=IF(\"x\",1)", "1"},
    {"=IF(0,1)", "_"},
    {"=IF()", "_"},
    {"=IF({1,0},1,2)", "{1,2}"},
    {"=IF({1;0},{1,2},3)", "{1,2;3,3}"},
    {"=IF({1;0},{1;2;3},3)", "fail #VALUE! IF: incompatible rows"},
    {"=IF({1,0},{1,2,3},3)", "fail #VALUE! IF: incompatible cols"},
    {"=IF(TRUE,C1,2)", "#N/A"},
    {"=IF(FALSE,1/0,2)", "fail #DIV/0!"},
    {"=COUNT(IF(SEQUENCE(1000),TRANSPOSE(SEQUENCE(100))))", "100000"},
    {"=IF(SEQUENCE(1001),TRANSPOSE(SEQUENCE(100)))", "fail #SIZE! IF: result exceeds 100000 cells"},
    {"=IF(SEQUENCE(100000),TRANSPOSE(SEQUENCE(100000)))",
     "fail #SIZE! IF: result exceeds 100000 cells"},
    {"=IF(SEQUENCE(4294967295,\"NaN\"),SEQUENCE(4294967295,\"NaN\"),SEQUENCE(4294967295,\"NaN\"))",
     "{4294967295x0}"}};

INSTANTIATE_TEST_SUITE_P(If, Functions, ::testing::ValuesIn(kIf));

const FormulaCase kSequence[] = {
    {"=SEQUENCE(2,3)", "{1,2,3;4,5,6}"},
    {"=SEQUENCE(3,1,10,2)", "{10;12;14}"},
    {"=SEQUENCE(2.9)", "{1;2}"},
    {"=SEQUENCE(1)", "1"},
    {"=SEQUENCE(2,\"x\",0.5,\"y\")", "{0.5;1.5}"},
    {"=SEQUENCE(\"2\",TRUE,C1)", "{1;2}"},
    {"=SEQUENCE(0)", "fail #VALUE! SEQUENCE: rows and cols must be >= 1"},
    {"=SEQUENCE(2,0.5)", "fail #VALUE! SEQUENCE: rows and cols must be >= 1"},
    {"=SEQUENCE(\"x\")", "fail #VALUE! SEQUENCE: rows required"},
    {"=SEQUENCE()", "fail #VALUE! SEQUENCE: rows required"},
    {"=SEQUENCE(1000,101)", "fail #SIZE! SEQUENCE exceeds 100000 cells"},
    {"=SEQUENCE(10^300)", "fail #SIZE! SEQUENCE exceeds 100000 cells"},
    {"=COUNT(SEQUENCE(1000,100))", "100000"},
    {"=SEQUENCE(\"NaN\")", "{0x1}"},
    {"=SEQUENCE(4294967295,\"NaN\")", "{4294967295x0}"},
    {"=LEN(SEQUENCE(2,1,10^308,10^308))", "{309;3}"}};

INSTANTIATE_TEST_SUITE_P(Sequence, Functions, ::testing::ValuesIn(kSequence));

const FormulaCase kTransposeAndFilter[] = {
    {"=TRANSPOSE({1,2,3;4,5,6})", "{1,4;2,5;3,6}"},
    {"=TRANSPOSE(7)", "7"},
    {"=TRANSPOSE(1,2)", "1"},
    {"=TRANSPOSE()", "fail #VALUE! TRANSPOSE: array required"},
    {"=TRANSPOSE(SEQUENCE(4294967295,\"NaN\"))", "{0x4294967295}"},
    {"=FILTER(A1:A5,A1:A5>1)", "{3;2;'x'}"},
    {"=FILTER(A1:B5,{1;0;1;0;0})", "{3,'b';2,'a'}"},
    {"=FILTER({1,2;3,4},{1,0;0,1})", "{1;4}"},
    {"=FILTER({1,2},{0,0})", "#N/A"},
    {"=FILTER({1;2},{1;1;1})",
     "fail #VALUE! FILTER: condition shape must match array or be a column vector"},
    {"=FILTER({1,2,3},{1,0})",
     "fail #VALUE! FILTER: condition shape must match array or be a column vector"},
    {"=FILTER({1,2},1)", "{1,2}"},
    {"=FILTER()", "fail #VALUE! FILTER: array required"},
    {"=FILTER({1})", "fail #VALUE! FILTER: condition required"},
    {"=FILTER(SEQUENCE(\"NaN\"),SEQUENCE(\"NaN\"))", "#N/A"}};

INSTANTIATE_TEST_SUITE_P(TransposeAndFilter, Functions, ::testing::ValuesIn(kTransposeAndFilter));

const FormulaCase kSort[] = {
    {"=SORT(A1:B5,2)", "{_,TRUE;1,'a';2,'a';3,'b';'x',#N/A}"},
    {"=SORT(A1:A5)", "{1;2;3;'x';_}"},
    {"=SORT(B1:B5)", "{TRUE;'a';'a';'b';#N/A}"},
    {"=SORT(C1:C3)", "{_;_;#N/A}"},
    {"=SORT(A1:B5,3)", "fail #VALUE! SORT: sort_col out of range"},
    {"=SORT({1},0)", "fail #VALUE! SORT: sort_col out of range"},
    {"=SORT({1},\"NaN\")", "fail #VALUE! SORT: sort_col out of range"},
    {"=SORT({2;1},\"x\")", "{1;2}"},
    {"=SORT({2;1},1,\"\")", "{2;1}"},
    {"=SORT()", "fail #VALUE! SORT: array required"},
    {"=SORT(SEQUENCE(4294967295,\"NaN\"))", "fail #VALUE! SORT: sort_col out of range"},
    {"=SORT({3;\"NaN\"*1;1;\"nan\"+0;2})", "{1;2;3;NaN;NaN}"},
    {"=SORT({3;\"NaN\"*1;1;2},1,FALSE)", "{NaN;3;2;1}"}};

INSTANTIATE_TEST_SUITE_P(Sort, Functions, ::testing::ValuesIn(kSort));

const FormulaCase kUnique[] = {{"=UNIQUE(\"NaN\"*{1;1})", "{NaN;NaN}"},
                               {"=UNIQUE({1,2},9)", "{1,2}"},
                               {"=UNIQUE()", "fail #VALUE! UNIQUE: array required"},
                               {"=UNIQUE(SEQUENCE(4294967295,\"NaN\"))", "{1x0}"},
                               {"=UNIQUE(SEQUENCE(\"NaN\"))", "{0x1}"}};

INSTANTIATE_TEST_SUITE_P(Unique, Functions, ::testing::ValuesIn(kUnique));

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
