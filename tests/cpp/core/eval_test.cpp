// The evaluator: references, ranges, spills, literals, failures and their order, bounds.
#include "core/eval.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/limits.h"
#include "eval_support.h"

namespace orvel::core {
namespace {

using testing::eval_formula;
using testing::FormulaCase;
using testing::MapLookup;
using testing::MapResolver;
using testing::typed;

// Rows checked both as a one-shot tree and in a sheet cell (see expect_on_both_paths).
class EvaluationRules : public ::testing::TestWithParam<FormulaCase> {};

TEST_P(EvaluationRules, HoldInOneShotEvaluationAndInASheetCell) {
    testing::expect_on_both_paths(GetParam());
}

// Rows that rest on what one-shot evaluation alone assumes: whole columns span rows 1..1000 and
// whole rows columns A..Z (a sheet uses its used extent), and no name is defined (a sheet
// replaces a formula naming an undefined name by "#NAME?" before evaluating any of it).
class OneShotOnly : public ::testing::TestWithParam<FormulaCase> {};

TEST_P(OneShotOnly, EvaluateWithEmptyCellsAndDefaultBounds) {
    EXPECT_EQ(eval_formula(GetParam().formula), GetParam().expected);
}

const FormulaCase kReferencesAndRanges[] = {
    {"=COUNT(A:A)+ROWS", "fail #NAME?"},
    {"=LEN(CONCAT(A1:A100000&\"x\"))", "100000"},
    {"=A1:A100001", "fail #SIZE! range exceeds 100000 cells"},
    {"=A0:A4294967295", "fail #SIZE! range exceeds 100000 cells"},
    {"=A1:ZZZZZZZZZ1", "fail #SIZE! range exceeds 100000 cells"},
    {"=ZZZZZZZZZ1:ZZZZZZZZZZ2", "{_;_}"}};

INSTANTIATE_TEST_SUITE_P(ReferencesAndRanges, EvaluationRules,
                         ::testing::ValuesIn(kReferencesAndRanges));

const FormulaCase kWholeColumnsAndRows[] = {
    {"=A:DZ", "fail #SIZE! range exceeds 100000 cells"},
    {"=1:3847", "fail #SIZE! range exceeds 100000 cells"},
    {"=LEN(CONCAT(1:3846&\"x\"))", "99996"}};

INSTANTIATE_TEST_SUITE_P(WholeColumnsAndRows, OneShotOnly,
                         ::testing::ValuesIn(kWholeColumnsAndRows));

INSTANTIATE_TEST_SUITE_P(
    ArrayLiterals, EvaluationRules,
    ::testing::Values(FormulaCase{"={1,2;3,4}", "{1,2;3,4}"}, FormulaCase{"={A1:B2}", "_"},
                      FormulaCase{"={{1,2},3}", "{1,3}"},
                      FormulaCase{"={SEQUENCE(\"NaN\"),\"a\"}", "{_,'a'}"},
                      FormulaCase{"={1,1/0}", "fail #DIV/0!"},
                      FormulaCase{"={XYZ,1/0}", "fail #NAME?"}));

const FormulaCase kFailuresInOrder[] = {
    {"=XYZ+1/0", "fail #NAME?"},         {"=XYZ=1/0", "fail #NAME?"},
    {"=IF(TRUE,1,1/0)", "fail #DIV/0!"}, {"=SUM({1,2}/0)", "-0"},
    {"=NOSUCH(1)", "fail #NAME?"},       {"=1/0+2/0", "fail #DIV/0!"},
    {"=\"a\"+1/0", "fail #DIV/0!"}};

INSTANTIATE_TEST_SUITE_P(FailuresStopAtTheFirstInOrder, EvaluationRules,
                         ::testing::ValuesIn(kFailuresInOrder));

const FormulaCase kFailuresBeforeAnUnknownName[] = {{"=1/0+XYZ", "fail #DIV/0!"},
                                                    {"=SUM(1/0,XYZ)", "fail #DIV/0!"}};

INSTANTIATE_TEST_SUITE_P(FailuresBeforeAnUnknownName, OneShotOnly,
                         ::testing::ValuesIn(kFailuresBeforeAnUnknownName));

// A1 holds the error value #N/A: read, it is a value, not a failure.
TEST(EvaluationRules, CellErrorsAreValuesNotFailures) {
    MapLookup lookup;
    lookup.set("A1", CellValue::error(ErrorKind::NotAvailable));
    const FormulaCase rows[] = {{"=A1", "#N/A"},
                                {"=A1:A2", "{#N/A;_}"},
                                {"=SUM(A1,2)", "2"},
                                {"=A1+1", "'#N/A1'"},
                                {"=-A1", "_"}};
    for (const FormulaCase& row : rows) testing::expect_on_both_paths(row, lookup);
}

TEST(Evaluator, ReadsARangeRowByRowWhateverTheCornerOrder) {
    class Recording : public CellLookup {
    public:
        CellValue cell(std::uint32_t col, std::uint32_t row) const override {
            order += index_to_col(col) + std::to_string(row) + " ";
            return {};
        }
        CellValue cell_by_id(std::string_view) const override { return {}; }
        mutable std::string order;
    };
    const Registry registry;
    for (const char* formula : {"=A1:C3", "=C3:A1", "=A3:C1", "=C1:A3"}) {
        Recording lookup;
        EXPECT_EQ(eval_formula(formula, lookup, registry), "{_,_,_;_,_,_;_,_,_}");
        EXPECT_EQ(lookup.order, "A1 B1 C1 A2 B2 C2 A3 B3 C3 ") << formula;
    }
}

TEST(Evaluator, LettersPastTheLastColumnAreReadByIdText) {
    MapLookup lookup;
    const Registry registry;
    EXPECT_EQ(eval_formula("=ZZZZZZZZ7", lookup, registry), "_");
    EXPECT_EQ(eval_formula("=A7", lookup, registry), "_");
    EXPECT_EQ(lookup.ids_read, std::vector<std::string>{"ZZZZZZZZ7"});
}

TEST(Evaluator, WholeColumnsAndRowsFollowTheBounds) {
    const Registry registry;
    EXPECT_EQ(eval_formula("=B:A", empty_lookup(), registry, nullptr, 3, 2), "{_,_;_,_;_,_}");
    EXPECT_EQ(eval_formula("=2:2", empty_lookup(), registry, nullptr, 3, 4), "{_,_,_,_}");
}

TEST(Evaluator, SpillReferencesGiveTheWholeArrayOrRef) {
    MapResolver resolver;
    resolver.set(2, 3, ArrayValue(2, 1, {CellValue::number(1), CellValue::text("a")}));
    resolver.set(1, 1, ArrayValue(0, 4, {}));
    const Registry registry;
    EXPECT_EQ(eval_formula("=B3#", empty_lookup(), registry, &resolver), "{1;'a'}");
    EXPECT_EQ(eval_formula("=A1#", empty_lookup(), registry, &resolver), "{0x4}");
    EXPECT_EQ(eval_formula("=A1#+1", empty_lookup(), registry, &resolver), "{0x4}");
    EXPECT_EQ(eval_formula("=C9#", empty_lookup(), registry, &resolver), "#REF!");
    EXPECT_EQ(eval_formula("=B3#", empty_lookup(), registry, nullptr), "#REF!");
}

TEST(Evaluator, LeftDeepChainsOfAHundredThousandOperatorsEvaluate) {
    struct Chain {
        std::string op, operand, expected;
    };
    const Chain chains[] = {{"+", "1", "100000"}, {"-", "1", "-99998"}, {"*", "1", "1"},
                            {"&", "", ""},       {"=", "TRUE", "TRUE"}};
    const Registry registry;
    for (const Chain& c : chains) {
        std::string formula = "=" + (c.operand.empty() ? "\"\"" : c.operand);
        for (int i = 1; i < 100000; ++i) formula += c.op + (c.operand.empty() ? "\"\"" : c.operand);
        std::string want = c.op == "&" ? "''" : c.expected;
        EXPECT_EQ(eval_formula(formula, empty_lookup(), registry), want) << c.op;
    }
    std::string refs = "=SUM(A1";
    for (int i = 2; i <= 100000; ++i) refs += "+A" + std::to_string(i);
    EXPECT_EQ(eval_formula(refs + ")", empty_lookup(), registry), "-0");
}

struct TextBoundCase {
    std::string formula;
    std::size_t a1_bytes;
    std::string expected;
};

TEST(Evaluator, BuiltTextStopsAtOneHundredMebibytesPerResult) {
    const std::size_t mib = 1024 * 1024;
    const TextBoundCase cases[] = {
        {"=SUM(LEN(SEQUENCE(100,1,0,0)&A1))", mib - 1, "104857600"},
        {"=SUM(LEN(SEQUENCE(100,1,0,0)&A1))", mib,
         "fail #SIZE! &: result exceeds 104857600 bytes of text"},
        {"=SUM(LEN(SEQUENCE(100,1,0,0)+A1))", mib - 1, "104857600"},
        {"=SUM(LEN(SEQUENCE(100,1,0,0)+A1))", mib,
         "fail #SIZE! +: result exceeds 104857600 bytes of text"},
        {"=LEN(CONCAT(A1:A100))", mib, "104857600"},
        {"=LEN(CONCAT(A1:A100,1))", mib,
         "fail #SIZE! CONCAT: result exceeds 104857600 bytes of text"},
        {"=SUM(LEN(UPPER(A1:A100)))", mib, "104857600"},
        {"=SUM(LEN(LOWER(A1:A101)))", mib,
         "fail #SIZE! LOWER: result exceeds 104857600 bytes of text"},
        {"=LEN(CONCAT(SEQUENCE(1000,100)&CONCAT(SEQUENCE(1000,100))))", 0,
         "fail #SIZE! &: result exceeds 104857600 bytes of text"},
    };
    const Registry registry;
    for (const TextBoundCase& c : cases) {
        // Every cell of column A shares one text of the given length.
        class SameText : public CellLookup {
        public:
            explicit SameText(std::size_t bytes)
                : value_(CellValue::text(std::string(bytes, 'x'))) {}
            CellValue cell(std::uint32_t col, std::uint32_t) const override {
                return col == 1 ? value_ : CellValue();
            }
            CellValue cell_by_id(std::string_view) const override { return {}; }

        private:
            CellValue value_;
        } lookup(c.a1_bytes);
        EXPECT_EQ(eval_formula(c.formula, lookup, registry), c.expected)
            << c.formula << " with " << c.a1_bytes;
    }
}

TEST(Evaluator, LongArgumentListsOfLargeArraysAreBounded) {
    // Each argument holds 100000 cells of 16 bytes; 672 of them pass the pending bound.
    const Registry registry;
    auto call = [](int args) {
        std::string formula = "=COUNT(SEQUENCE(1000,100)";
        for (int i = 1; i < args; ++i) formula += ",SEQUENCE(1000,100)";
        return formula + ")";
    };
    EXPECT_EQ(eval_formula(call(10), empty_lookup(), registry), "1000000");
    EXPECT_EQ(eval_formula(call(672), empty_lookup(), registry),
              "fail #SIZE! evaluation exceeds 1073741824 bytes of intermediate values");
}

TEST(Evaluator, AllocationFailureBecomesAnError) {
    class Exhausting : public CustomFunction {
    public:
        std::string_view name() const override { return "EXHAUST"; }
        Expected<CellValue, std::string> call(std::span<const CellValue>) const override {
            throw std::bad_alloc();
        }
    };
    Registry registry;
    ASSERT_FALSE(registry.register_function(std::make_shared<Exhausting>()));
    EXPECT_EQ(eval_formula("=1+EXHAUST()", empty_lookup(), registry),
              "fail #SIZE! out of memory");
}

struct LiteralCase {
    std::string text;
    std::string expected;  // typed rendering of the value, or "fail <display>"
};

TEST(Evaluate, ClassifiesLiteralsAndEvaluatesFormulas) {
    const LiteralCase cases[] = {
        {"", "_"},
        {"=", "fail Unexpected token: Eof ()"},
        {" 5", "' 5'"},
        {"-0", "-0"},
        {"1e3", "1000"},
        {"True", "TRUE"},
        {"fALSE", "FALSE"},
        {"TRUE ", "'TRUE '"},
        {"inf", "'inf'"},
        {"NaN", "'NaN'"},
        {"1e400", "'1e400'"},
        {"=1/0", "fail #DIV/0!"},
        {"={1,2}/0", "#DIV/0!"},
        {"={7,8;9,10}", "7"},
        {"=SEQUENCE(\"NaN\")", "_"},
        {"=A1", "_"},
        {"=A1#", "#REF!"},
        {"=SEQUENCE(0)", "fail #VALUE! SEQUENCE: rows and cols must be >= 1"},
        {"'quoted", "''quoted'"},
    };
    for (const LiteralCase& c : cases) {
        auto value = evaluate_one_shot(c.text);
        EXPECT_EQ(value ? typed(*value) : "fail " + value.error().display(), c.expected) << c.text;
    }
}

TEST(Evaluate, ParseBoolLiteralTakesOnlyTheWholeWord) {
    EXPECT_EQ(parse_bool_literal("TrUe"), true);
    EXPECT_EQ(parse_bool_literal("false"), false);
    EXPECT_EQ(parse_bool_literal(" true"), std::nullopt);
    EXPECT_EQ(parse_bool_literal("truee"), std::nullopt);
    EXPECT_EQ(parse_bool_literal("1"), std::nullopt);
}

}  // namespace
}  // namespace orvel::core
