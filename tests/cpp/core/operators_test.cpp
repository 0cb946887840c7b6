// Operators and comparisons through formulas: broadcasting, coercions, error propagation.
#include "core/operators.h"

#include <gtest/gtest.h>

#include <string>

#include "eval_support.h"

namespace orvel::core {
namespace {

using testing::eval_formula;
using testing::MapLookup;

struct FormulaCase {
    std::string formula;
    std::string expected;  // typed rendering, see eval_support.h
};

void PrintTo(const FormulaCase& c, std::ostream* os) { *os << c.formula; }

// A1 empty, B1 the error #N/A, C1 the error #DIV/0!, D1 the text "x".
const MapLookup& operator_cells() {
    static const MapLookup lookup = [] {
        MapLookup l;
        l.set("B1", CellValue::error(ErrorKind::NotAvailable));
        l.set("C1", CellValue::error(ErrorKind::DivByZero));
        l.set("D1", CellValue::text("x"));
        return l;
    }();
    return lookup;
}

class Operators : public ::testing::TestWithParam<FormulaCase> {};

TEST_P(Operators, GiveTheExpectedValueOrFailure) {
    static const Registry registry;
    EXPECT_EQ(eval_formula(GetParam().formula, operator_cells(), registry), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Broadcasting, Operators,
    ::testing::Values(
        FormulaCase{"={1,2,3}+{10;20}", "{11,12,13;21,22,23}"},
        FormulaCase{"={1,2}+{1,2,3}", "fail #VALUE! incompatible array shapes"},
        FormulaCase{"={1;2}+{1;2;3}", "fail #VALUE! incompatible array shapes"},
        FormulaCase{"={1,2;3,4}*10", "{10,20;30,40}"},
        FormulaCase{"=10-{1;2}", "{9;8}"},
        FormulaCase{"={1,2}/0", "{#DIV/0!,#DIV/0!}"},
        FormulaCase{"=SEQUENCE(4294967295,\"NaN\")+1", "{4294967295x0}"},
        FormulaCase{"=SEQUENCE(4294967295,\"NaN\")+{1,2}",
                    "fail #VALUE! incompatible array shapes"},
        FormulaCase{"=SEQUENCE(4294967295,\"NaN\")=SEQUENCE(1,1)", "{4294967295x0}"},
        FormulaCase{"=-SEQUENCE(4294967295,\"NaN\")", "{4294967295x0}"},
        FormulaCase{"=SUM(--(SEQUENCE(1000)=TRANSPOSE(SEQUENCE(100))))", "100"},
        FormulaCase{"=SEQUENCE(1001)=TRANSPOSE(SEQUENCE(100))",
                    "fail #SIZE! comparison result exceeds 100000 cells"},
        FormulaCase{"=COUNT(SEQUENCE(1000)*TRANSPOSE(SEQUENCE(100)))", "100000"},
        FormulaCase{"=SEQUENCE(1001)*TRANSPOSE(SEQUENCE(100))",
                    "fail #SIZE! broadcast result exceeds 100000 cells"}));

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, Operators,
    ::testing::Values(
        FormulaCase{"=1/0", "fail #DIV/0!"}, FormulaCase{"=1/-0", "fail #DIV/0!"},
        FormulaCase{"=5%0", "NaN"}, FormulaCase{"=-7%3", "-1"}, FormulaCase{"=7.5%-2", "1.5"},
        FormulaCase{"=2^0.5", "1.4142135623730951"}, FormulaCase{"=(-8)^(1/3)", "NaN"},
        FormulaCase{"=0^-1", "inf"}, FormulaCase{"=0.1+0.2", "0.30000000000000004"},
        FormulaCase{"=\"2\"*\"3\"", "6"}, FormulaCase{"=\" 2\"*3", "_"},
        FormulaCase{"=\"inf\"*-1", "-inf"}, FormulaCase{"=\"1e3\"/TRUE", "1000"},
        FormulaCase{"=\"a\"+\"b\"", "'ab'"}, FormulaCase{"=1+\"x\"", "'1x'"},
        FormulaCase{"=A1+1", "'1'"}, FormulaCase{"=A1*1", "_"}, FormulaCase{"=A1-A1", "_"},
        FormulaCase{"=TRUE+TRUE", "2"}, FormulaCase{"=D1*2", "_"}));

INSTANTIATE_TEST_SUITE_P(
    ArithmeticKeepsErrorsAsText, Operators,
    ::testing::Values(FormulaCase{"=B1+1", "'#N/A1'"}, FormulaCase{"=B1*2", "_"},
                      FormulaCase{"=B1&\"x\"", "'#N/Ax'"}, FormulaCase{"=-B1", "_"},
                      FormulaCase{"={1,2}+C1", "{'1#DIV/0!','2#DIV/0!'}"}));

INSTANTIATE_TEST_SUITE_P(
    Concatenation, Operators,
    ::testing::Values(FormulaCase{"=\"a\"&1&TRUE", "'a1TRUE'"}, FormulaCase{"=A1&\"x\"", "'x'"},
                      FormulaCase{"=0.5&-0", "'0.5-0'"}, FormulaCase{"=A1&A1", "''"},
                      FormulaCase{"={1;2}&{\"a\",\"b\"}", "{'1a','1b';'2a','2b'}"}));

INSTANTIATE_TEST_SUITE_P(
    Signs, Operators,
    ::testing::Values(FormulaCase{"=-\"abc\"", "_"}, FormulaCase{"=-TRUE", "-1"},
                      FormulaCase{"=+\"2\"", "2"}, FormulaCase{"=-A1", "_"},
                      FormulaCase{"=-{1,\"2\",\"x\";TRUE,FALSE,\"-inf\"}", "{-1,-2,_;-1,-0,inf}"},
                      FormulaCase{"=--\"1e2\"", "100"}));

INSTANTIATE_TEST_SUITE_P(
    Comparisons, Operators,
    ::testing::Values(
        FormulaCase{"=1<\"a\"", "TRUE"}, FormulaCase{"=\"a\">TRUE", "TRUE"},
        FormulaCase{"=TRUE=1", "TRUE"}, FormulaCase{"=FALSE<0.5", "TRUE"},
        FormulaCase{"=A1=\"\"", "TRUE"}, FormulaCase{"=A1=0", "TRUE"},
        FormulaCase{"=A1=FALSE", "TRUE"}, FormulaCase{"=A1<\"a\"", "TRUE"},
        FormulaCase{"=A1<-1", "FALSE"}, FormulaCase{"=A1>-1", "TRUE"},
        FormulaCase{"=TRUE>A1", "TRUE"}, FormulaCase{"=A1=A1", "TRUE"},
        FormulaCase{"=\"abc\"<\"abd\"", "TRUE"}, FormulaCase{"=\"B\"<\"a\"", "TRUE"},
        FormulaCase{"=\"a\"<\"ab\"", "TRUE"}, FormulaCase{"=\"é\">\"z\"", "TRUE"},
        FormulaCase{"=\"a\"=\"A\"", "FALSE"}, FormulaCase{"=-0=0", "TRUE"},
        FormulaCase{"={1,2,3}>={2;3}", "{FALSE,TRUE,TRUE;FALSE,FALSE,TRUE}"}));

INSTANTIATE_TEST_SUITE_P(
    NotANumberOrdersEqual, Operators,
    ::testing::Values(FormulaCase{"=(5%0)=(5%0)", "TRUE"}, FormulaCase{"=(5%0)=1", "TRUE"},
                      FormulaCase{"=(5%0)<1", "FALSE"}, FormulaCase{"=(5%0)>1", "FALSE"},
                      FormulaCase{"=(5%0)<=1", "TRUE"}, FormulaCase{"=(5%0)<>TRUE", "FALSE"},
                      FormulaCase{"=(5%0)=A1", "TRUE"}, FormulaCase{"=(5%0)<\"a\"", "TRUE"}));

INSTANTIATE_TEST_SUITE_P(
    ComparisonsPropagateErrors, Operators,
    ::testing::Values(FormulaCase{"=B1=1", "fail #N/A"}, FormulaCase{"=1<>B1", "fail #N/A"},
                      FormulaCase{"=B1=C1", "fail #N/A"}, FormulaCase{"=C1=B1", "fail #DIV/0!"},
                      FormulaCase{"={1,2}=B1", "{#N/A,#N/A}"},
                      FormulaCase{"=({1,2}/0)=B1", "{#DIV/0!,#DIV/0!}"},
                      FormulaCase{"={1,2}<({1,2}/{1,0})", "{FALSE,#DIV/0!}"}));

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
