// Flattened code of single-value formulas against the tree walk it stands in for: the same
// values, failures, cell reads and handler calls on every kind of operand.
#include "core/scalar_code.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/eval.h"
#include "core/parser.h"
#include "eval_support.h"
#include "sheet_support.h"

namespace orvel::core {
namespace {

using testing::typed;

// Serves A1 and B1 and logs every read in order.
class TwoCells : public CellLookup {
public:
    TwoCells(CellValue a1, CellValue b1) : a1_(std::move(a1)), b1_(std::move(b1)) {}
    CellValue cell(std::uint32_t col, std::uint32_t row) const override {
        log += "read " + index_to_col(col) + std::to_string(row) + "; ";
        if (row != 1) return {};
        return col == 1 ? a1_ : col == 2 ? b1_ : CellValue();
    }
    CellValue cell_by_id(std::string_view id) const override {
        log += "read id " + std::string(id) + "; ";
        return {};
    }
    mutable std::string log;

private:
    CellValue a1_;
    CellValue b1_;
};

// A custom type "u" whose handler answers some questions, declines others and fails some, and
// logs each call (into the log the lookup keeps, so that reads and calls interleave).
class LoggingHandler : public CustomTypeHandler {
public:
    explicit LoggingHandler(std::string& log) : log_(log) {}
    std::string_view type_tag() const override { return "u"; }
    std::string display(const CellValue& v) const override {
        return "u" + std::string(v.custom_data());
    }
    BinaryOpAnswer binary_op(BinaryOpCode op, const CellValue& l,
                             const CellValue& r) const override {
        log_ += "binary " + std::to_string(static_cast<int>(op)) + " " + typed(l) + " " + typed(r) +
                "; ";
        if (op == BinaryOpCode::Add) return BinaryOpAnswer::result(CellValue::custom("u", "sum"));
        if (op == BinaryOpCode::Mul) return BinaryOpAnswer::error("#VALUE! no product");
        return {};
    }
    CompareAnswer compare(CompareOp op, const CellValue& l, const CellValue& r) const override {
        log_ += "compare " + std::to_string(static_cast<int>(op)) + " " + typed(l) + " " +
                typed(r) + "; ";
        if (op == CompareOp::Lt) return CompareAnswer::result(true);
        if (op == CompareOp::Gt) return CompareAnswer::error("no order");
        return {};
    }
    std::optional<double> as_number(const CellValue& v) const override {
        log_ += "as_number " + typed(v) + "; ";
        return v.custom_data() == "7" ? std::optional<double>(7) : std::nullopt;
    }

private:
    std::string& log_;
};

// A value with its number bits, so that -0 and NaN payloads count.
std::string exact(const CellValue& v) {
    if (!v.is_number()) return typed(v);
    char buffer[32];
    auto end = std::to_chars(buffer, buffer + sizeof buffer,
                             std::bit_cast<std::uint64_t>(v.as_double()), 16)
                   .ptr;
    return "number 0x" + std::string(buffer, end);
}

std::string exact(const EvalResult& r) {
    if (!r) return "fail " + r.error().display();
    if (!r->is_scalar()) return "not a single value";
    return exact(r->data()[0]);
}

std::string exact(const Expected<CellValue, FormulaError>& r) {
    return r ? exact(*r) : "fail " + r.error().display();
}

std::span<const ScalarOp> flatten(const AstNode* root, AstArena& into) {
    ScalarFlattener flattener;
    return flattener.flatten(root, into);
}

struct Operand {
    const char* name;
    CellValue value;
};

std::vector<Operand> tricky_operands() {
    const double inf = std::numeric_limits<double>::infinity();
    return {
        {"1", CellValue::number(1)},
        {"0", CellValue::number(0)},
        {"-0", CellValue::number(-0.0)},
        {"NaN", CellValue::number(std::nan(""))},
        {"inf", CellValue::number(inf)},
        {"-inf", CellValue::number(-inf)},
        {"huge", CellValue::number(1e308)},
        {"text 2", CellValue::text("2")},
        {"text ' 3 '", CellValue::text(" 3 ")},
        {"text abc", CellValue::text("abc")},
        {"empty text", CellValue::text("")},
        {"Empty", CellValue()},
        {"TRUE", CellValue::boolean(true)},
        {"FALSE", CellValue::boolean(false)},
        {"#DIV/0!", CellValue::error(ErrorKind::DivByZero)},
        {"#VALUE! message", CellValue::error(FormulaError::value("bad"))},
        {"custom u7", CellValue::custom("u", "7")},
        {"custom u8", CellValue::custom("u", "8")},
        {"custom without handler", CellValue::custom("w", "1")},
    };
}

// Each operator once, literal operands and two chains; compound formulas over plain values are
// compared in tests/python/test_operator_properties.py.
const char* const kFormulas[] = {"=A1+B1",   "=A1-B1", "=A1*B1",    "=A1/B1",    "=A1^B1",
                                 "=A1%B1",   "=A1&B1", "=A1=B1",    "=A1<>B1",   "=A1<B1",
                                 "=A1<=B1",  "=A1>B1", "=A1>=B1",   "=-A1",      "=+B1",
                                 "=TRUE+A1", "=A1/0",  "=\"x\"+A1", "=-A1*B1+1", "=A1+B1+A1+B1"};

class ScalarCodeMatchesTree : public ::testing::TestWithParam<const char*> {};

TEST_P(ScalarCodeMatchesTree, OnEveryPairOfOperands) {
    auto ast = Parser::parse(GetParam());
    ASSERT_TRUE(ast);
    AstArena arena;
    const std::span<const ScalarOp> code = flatten(ast->root(), arena);
    ASSERT_FALSE(code.empty());

    const std::vector<Operand> operands = tricky_operands();
    std::string handler_log;
    Registry plain;
    Registry with_handler;
    with_handler.register_type(std::make_shared<LoggingHandler>(handler_log));
    EvalScratch scratch;
    for (const Registry* registry : {&plain, &with_handler}) {
        for (const Operand& left : operands) {
            for (const Operand& right : operands) {
                SCOPED_TRACE(std::string(registry == &plain ? "no handler, " : "handler, ") +
                             "A1 " + left.name + ", B1 " + right.name);
                TwoCells cells(left.value, right.value);
                const Evaluator evaluator(cells, 1000, 26, *registry);

                handler_log.clear();
                const std::string by_tree = exact(evaluator.eval_node(ast->root()));
                const std::string tree_log = cells.log + handler_log;

                cells.log.clear();
                handler_log.clear();
                const std::string by_code = exact(evaluator.eval_code(code, scratch));
                EXPECT_EQ(by_code, by_tree);
                EXPECT_EQ(cells.log + handler_log, tree_log);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formulas, ScalarCodeMatchesTree, ::testing::ValuesIn(kFormulas));

TEST(ScalarCode, ReadsAndHandlerCallsInterleaveAsInTheTree) {
    // The handler is asked about "A1+B1" before C1 is read.
    auto ast = Parser::parse("=(A1+B1)*C1<A1");
    ASSERT_TRUE(ast);
    AstArena arena;
    const std::span<const ScalarOp> code = flatten(ast->root(), arena);
    ASSERT_FALSE(code.empty());

    TwoCells cells(CellValue::custom("u", "7"), CellValue::number(1));
    Registry registry;
    registry.register_type(std::make_shared<LoggingHandler>(cells.log));
    const Evaluator evaluator(cells, 1000, 26, registry);
    const std::string by_tree = exact(evaluator.eval_node(ast->root()));
    const std::string tree_log = cells.log;
    cells.log.clear();
    EvalScratch scratch;
    EXPECT_EQ(exact(evaluator.eval_code(code, scratch)), by_tree);
    EXPECT_EQ(cells.log, tree_log);
    EXPECT_NE(tree_log.find("binary 0 <u:7> 1; read C1"), std::string::npos) << tree_log;
}

struct Shape {
    const char* formula;
    bool flattened;
};

void PrintTo(const Shape& s, std::ostream* os) {
    *os << s.formula;
}

class ScalarCodeShapes : public ::testing::TestWithParam<Shape> {};

TEST_P(ScalarCodeShapes, OnlyTreesOfSingleValuesAreFlattened) {
    auto ast = Parser::parse(GetParam().formula);
    ASSERT_TRUE(ast);
    AstArena arena;
    EXPECT_EQ(!flatten(ast->root(), arena).empty(), GetParam().flattened);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, ScalarCodeShapes,
    ::testing::Values(Shape{"=1", true}, Shape{"=A1", true}, Shape{"=\"x\"", true},
                      Shape{"=TRUE", true}, Shape{"=-A1", true}, Shape{"=A1+B1*2", true},
                      Shape{"=A1<B1", true}, Shape{"=ZZZZZZZZ1+1", true}, Shape{"=SUM(A1)", false},
                      Shape{"=1+SUM(A1)", false}, Shape{"=A1:B2", false}, Shape{"=A1#", false},
                      Shape{"=A:A", false}, Shape{"=1:1", false}, Shape{"=RATE", false},
                      Shape{"={1,2}", false}, Shape{"=A1*(B1:B2)", false}));

TEST(ScalarCode, UnknownOperatorIsLeftToTheTree) {
    // Only hand-built trees carry it; the walk fails on it before reading the operands.
    auto ast = Parser::parse("=A1+1");
    ASSERT_TRUE(ast);
    AstNode odd = *ast->root();
    odd.op = '~';
    AstArena arena;
    EXPECT_TRUE(flatten(&odd, arena).empty());
}

TEST(ScalarCode, CodeOutlivesItsTreeAndSurvivesCopying) {
    TwoCells cells(CellValue::text("ab"), CellValue::number(5));
    Registry registry;
    const Evaluator evaluator(cells, 1000, 26, registry);
    const std::string formula = "=(A1=\"ab\")+B1&\"!\"&ZZZZZZZZ7";
    auto reference = Parser::parse(formula);
    ASSERT_TRUE(reference);
    const std::string expected = exact(evaluator.eval_node(reference->root()));
    const std::string expected_reads = cells.log;
    ASSERT_EQ(expected, "'6!'");

    AstArena first;
    std::span<const ScalarOp> code;
    {
        auto ast = Parser::parse(formula);
        ASSERT_TRUE(ast);
        code = flatten(ast->root(), first);
    }
    AstArena second;
    const std::span<const ScalarOp> copy = copy_code(code, second);
    EvalScratch scratch;
    for (std::span<const ScalarOp> run : {code, copy}) {
        cells.log.clear();
        EXPECT_EQ(exact(evaluator.eval_code(run, scratch)), expected);
        EXPECT_EQ(cells.log, expected_reads);
    }
}

TEST(ScalarCode, FlattenerReusedAfterAGivenUpTree) {
    auto given_up = Parser::parse("=\"x\"&A1+SUM(B1)");
    auto fine = Parser::parse("=\"y\"&-A1");
    ASSERT_TRUE(given_up && fine);
    ScalarFlattener flattener;
    AstArena arena;
    EXPECT_TRUE(flattener.flatten(given_up->root(), arena).empty());
    const std::span<const ScalarOp> code = flattener.flatten(fine->root(), arena);
    ASSERT_EQ(code.size(), 4u);
    TwoCells cells(CellValue::number(4), CellValue());
    Registry registry;
    const Evaluator evaluator(cells, 1000, 26, registry);
    EvalScratch scratch;
    EXPECT_EQ(typed(*evaluator.eval_code(code, scratch)), "'y-4'");
}

// Long left-deep chains run in a loop; right-nested ones as deep as the parser allows too.
TEST(ScalarCode, DeepTreesGiveTheTreesValue) {
    std::string left_deep = "=A1";
    for (int i = 0; i < 30000; ++i) left_deep += i % 2 ? "-B1" : "+1";
    std::string right_nested = "=A1";
    for (int i = 0; i < 200; ++i) right_nested += "-(B1";
    right_nested += std::string(200, ')');
    for (const std::string& formula : {left_deep, right_nested}) {
        auto ast = Parser::parse(formula);
        ASSERT_TRUE(ast);
        AstArena arena;
        const std::span<const ScalarOp> code = flatten(ast->root(), arena);
        ASSERT_FALSE(code.empty());
        TwoCells cells(CellValue::number(3), CellValue::number(0.5));
        Registry registry;
        const Evaluator evaluator(cells, 1000, 26, registry);
        EvalScratch scratch;
        EXPECT_EQ(exact(evaluator.eval_code(code, scratch)),
                  exact(evaluator.eval_node(ast->root())));
    }
}

TEST(ScalarCode, ChainsPastTheCodeBoundAreLeftToTheTree) {
    std::string formula = "=1";
    for (int i = 0; i < 100000; ++i) formula += "+1";
    auto ast = Parser::parse(formula);
    ASSERT_TRUE(ast);
    AstArena arena;
    EXPECT_TRUE(flatten(ast->root(), arena).empty());
}

TEST(ScalarCode, ScratchIsReusableAfterAFailure) {
    auto failing = Parser::parse("=1+A1/0");
    auto fine = Parser::parse("=A1*2");
    ASSERT_TRUE(failing && fine);
    AstArena arena;
    const std::span<const ScalarOp> failing_code = flatten(failing->root(), arena);
    const std::span<const ScalarOp> fine_code = flatten(fine->root(), arena);
    TwoCells cells(CellValue::number(4), CellValue());
    Registry registry;
    const Evaluator evaluator(cells, 1000, 26, registry);
    EvalScratch scratch;
    EXPECT_EQ(exact(evaluator.eval_code(failing_code, scratch)), "fail #DIV/0!");
    EXPECT_EQ(typed(*evaluator.eval_code(fine_code, scratch)), "8");
    EXPECT_EQ(typed(*evaluator.eval_node(fine->root(), scratch)), "8");
}

// A sheet keeps such formulas as code only: texts and ids must survive the store being packed
// again, and names substituted into a formula are flattened anew with each definition.
TEST(ScalarCode, SheetFormulasSurviveRepackingAndNameChanges) {
    using testing::read;
    using testing::write;
    Sheet sheet;
    EXPECT_FALSE(sheet.set_name("RATE", "=2"));
    for (int round = 1; round <= 5; ++round) {
        testing::Cells cells{{"A1", std::to_string(round)}};
        for (int i = 1; i <= 2000; ++i) {
            const std::string n = std::to_string(i + round);
            cells.push_back({"B" + std::to_string(i), "=\"n\"&A1*RATE&\"-" + n + "\""});
            cells.push_back({"C" + std::to_string(i), "=ZZZZZZZZ1&\"\"=\"" + n + "\""});
        }
        write(sheet, cells);
        EXPECT_EQ(read(sheet, "B1 C2000"),
                  "B1=n" + std::to_string(2 * round) + "-" + std::to_string(1 + round) +
                      " C2000=FALSE");
    }
    write(sheet, {{"ZZZZZZZZ1", "2005"}});
    EXPECT_EQ(read(sheet, "C1 C2000"), "C1=FALSE C2000=TRUE");
    EXPECT_FALSE(sheet.set_name("RATE", "=A1/10"));
    EXPECT_EQ(read(sheet, "B1"), "B1=n2.5-6");
}

}  // namespace
}  // namespace orvel::core
