// Operators and comparisons through formulas: broadcasting, coercions, error propagation.
#include "core/operators.h"

#include <gtest/gtest.h>

#include <string>

#include "eval_support.h"

namespace orvel::core {
namespace {

using testing::eval_formula;
using testing::FormulaCase;
using testing::MapLookup;

// A1 empty, B1 the error #N/A, C1 the error #DIV/0!.
const MapLookup& operator_cells() {
    static const MapLookup lookup = [] {
        MapLookup l;
        l.set("B1", CellValue::error(ErrorKind::NotAvailable));
        l.set("C1", CellValue::error(ErrorKind::DivByZero));
        return l;
    }();
    return lookup;
}

class Operators : public ::testing::TestWithParam<FormulaCase> {};

TEST_P(Operators, GiveTheExpectedValueOrFailure) {
    testing::expect_on_both_paths(GetParam(), operator_cells());
}

// Single values and small arrays of plain values against a model of these rules, in one-shot
// evaluation and in sheet cells: tests/python/test_operator_properties.py. Here one row per rule,
// and what the model leaves out: empty and huge shapes, size bounds, errors in cells.
const FormulaCase kBroadcasting[] = {
    {"={1,2,3}+{10;20}", "{11,12,13;21,22,23}"},
    {"={1,2}+{1,2,3}", "fail #VALUE! incompatible array shapes"},
    {"=SEQUENCE(4294967295,\"NaN\")+1", "{4294967295x0}"},
    {"=SEQUENCE(4294967295,\"NaN\")+{1,2}", "fail #VALUE! incompatible array shapes"},
    {"=SEQUENCE(4294967295,\"NaN\")=SEQUENCE(1,1)", "{4294967295x0}"},
    {"=-SEQUENCE(4294967295,\"NaN\")", "{4294967295x0}"},
    {"=SUM(--(SEQUENCE(1000)=TRANSPOSE(SEQUENCE(100))))", "100"},
    {"=SEQUENCE(1001)=TRANSPOSE(SEQUENCE(100))",
     "fail #SIZE! comparison result exceeds 100000 cells"},
    {"=COUNT(SEQUENCE(1000)*TRANSPOSE(SEQUENCE(100)))", "100000"},
    {"=SEQUENCE(1001)*TRANSPOSE(SEQUENCE(100))",
     "fail #SIZE! broadcast result exceeds 100000 cells"}};

INSTANTIATE_TEST_SUITE_P(Broadcasting, Operators, ::testing::ValuesIn(kBroadcasting));

const FormulaCase kSingleValues[] = {
    {"=1/0", "fail #DIV/0!"}, {"=5%0", "NaN"},          {"=-7%3", "-1"},
    {"=0^-1", "inf"},         {"=\" 2\"*3", "_"},       {"=\"1e3\"/TRUE", "1000"},
    {"=1+\"x\"", "'1x'"},     {"=A1+1", "'1'"},         {"=A1*1", "_"},
    {"=\"a\"-1", "_"},        {"=0.5&-0", "'0.5-0'"},   {"=-\"abc\"", "_"},
    {"=1<\"a\"", "TRUE"},     {"=\"a\">TRUE", "TRUE"},  {"=A1=\"\"", "TRUE"},
    {"=A1=FALSE", "TRUE"},    {"=\"B\"<\"a\"", "TRUE"}, {"=\"é\">\"z\"", "TRUE"},
    {"=(5%0)=1", "TRUE"},     {"=(5%0)<1", "FALSE"}};

INSTANTIATE_TEST_SUITE_P(SingleValues, Operators, ::testing::ValuesIn(kSingleValues));

const FormulaCase kErrorsInCells[] = {{"=B1+1", "'#N/A1'"},
                                      {"=B1*2", "_"},
                                      {"={1,2}+C1", "{'1#DIV/0!','2#DIV/0!'}"},
                                      {"=B1=C1", "fail #N/A"},
                                      {"=C1=B1", "fail #DIV/0!"},
                                      {"={1,2}=B1", "{#N/A,#N/A}"},
                                      {"={1,2}<({1,2}/{1,0})", "{FALSE,#DIV/0!}"}};

INSTANTIATE_TEST_SUITE_P(ErrorsInCells, Operators, ::testing::ValuesIn(kErrorsInCells));

TEST(BroadcastShape, StretchesOnesAndFailsOnOtherCounts) {
    struct Case {
        std::uint32_t r1, c1, r2, c2;
        std::string expected;
    };
    const Case cases[] = {
        {1, 3, 2, 1, "2x3"},   {1, 1, 5, 7, "5x7"},           {0, 1, 1, 1, "0x1"},
        {0, 5, 1, 5, "0x5"},   {2, 2, 3, 2, "#VALUE! incompatible array shapes"},
        {0, 2, 2, 2, "#VALUE! incompatible array shapes"},
        {1000, 100, 1, 1, "1000x100"},
        {1000, 1, 1, 101, "#SIZE! label result exceeds 100000 cells"},
        {UINT32_MAX, 1, 1, UINT32_MAX, "#SIZE! label result exceeds 100000 cells"},
        {UINT32_MAX, 0, 1, 1, "4294967295x0"},
    };
    for (const Case& c : cases) {
        auto shape = broadcast_shape(c.r1, c.c1, c.r2, c.c2, "label");
        std::string got = shape ? std::to_string(shape->first) + "x" + std::to_string(shape->second)
                                : shape.error().display();
        EXPECT_EQ(got, c.expected) << c.r1 << "x" << c.c1 << " with " << c.r2 << "x" << c.c2;
    }
}

TEST(UnaryOperator, RejectsOtherCharacters) {
    auto result = eval_unary_op('!', CellValue::number(1));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().display(), "Unknown unary operator: !");
}

}  // namespace
}  // namespace orvel::core
