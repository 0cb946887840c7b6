// Custom functions and custom type handlers as the evaluator meets them.
#include <gtest/gtest.h>

#include <charconv>
#include <memory>
#include <string>
#include <vector>

#include "core/dispatch.h"
#include "eval_support.h"

namespace orvel::core {
namespace {

using testing::eval_formula;
using testing::FormulaCase;
using testing::MapLookup;
using testing::typed;

// Records the values it receives and answers with a fixed result.
class Recorder : public CustomFunction {
public:
    Recorder(std::string name, Expected<CellValue, std::string> answer)
        : name_(std::move(name)), answer_(std::move(answer)) {}
    std::string_view name() const override { return name_; }
    Expected<CellValue, std::string> call(std::span<const CellValue> args) const override {
        received.clear();
        for (const CellValue& v : args) received += typed(v) + " ";
        ++calls;
        return answer_;
    }
    mutable std::string received;
    mutable int calls = 0;

private:
    std::string name_;
    Expected<CellValue, std::string> answer_;
};

TEST(CustomFunctions, ReceiveEveryArgumentFlattenedRowMajor) {
    MapLookup lookup;
    lookup.set("A1", CellValue::number(1)).set("B1", CellValue::text("b"));
    lookup.set("A2", CellValue::boolean(true));
    auto recorder = std::make_shared<Recorder>("Flat", CellValue::number(7));
    Registry registry;
    ASSERT_FALSE(registry.register_function(recorder));
    struct Case {
        std::string formula, received;
    };
    const Case cases[] = {
        {"=flat(A1:B2,5)", "1 'b' TRUE _ 5 "},
        {"=FLAT(SEQUENCE(\"NaN\"),{1,2;3,4})", "1 2 3 4 "},
        {"=fLaT()", ""},
        {"=FLAT(A1:B2)", "1 'b' TRUE _ "},
        {"=FLAT(SEQUENCE(4294967295,\"NaN\"))", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(eval_formula(c.formula, lookup, registry), "7") << c.formula;
        EXPECT_EQ(recorder->received, c.received) << c.formula;
    }
}

TEST(CustomFunctions, ErrorTextsAreReadBackIntoErrors) {
    struct Case {
        Expected<CellValue, std::string> answer;
        std::string expected;
    };
    const Case cases[] = {
        {unexpected(std::string("#VALUE! bad month")), "fail #VALUE! bad month"},
        {unexpected(std::string("#N/A")), "fail #N/A"},
        {unexpected(std::string("ValueError: boom")), "fail ValueError: boom"},
        {CellValue::error(ErrorKind::Ref), "#REF!"},
        {CellValue::text("ok"), "'ok'"},
    };
    for (const Case& c : cases) {
        Registry registry;
        ASSERT_FALSE(registry.register_function(std::make_shared<Recorder>("F", c.answer)));
        EXPECT_EQ(eval_formula("=F(1)", empty_lookup(), registry), c.expected) << c.expected;
    }
}

TEST(Dispatch, FindsBuiltinsByNameAndAliasWithoutAParsedTree) {
    const Registry registry;
    ArrayValue args[] = {ArrayValue::scalar(CellValue::number(2)),
                         ArrayValue::scalar(CellValue::number(4))};
    EXPECT_EQ(typed(call_function("AVG", args, registry)), "3");
    EXPECT_EQ(typed(call_function("MEAN", args, registry)), "3");
    EXPECT_EQ(typed(call_function("avg", args, registry)), "fail #NAME?");
}

// Lengths in metres: literals like "5m", data text the number. Knows "+" on two lengths and
// comparisons of two lengths; declines everything else.
class Metres : public CustomTypeHandler {
public:
    std::string_view type_tag() const override { return "m"; }
    std::optional<CellValue> parse_literal(std::string_view text) const override {
        if (text.size() < 2 || text.back() != 'm') return std::nullopt;
        return CellValue::custom("m", text.substr(0, text.size() - 1));
    }
    std::string display(const CellValue& v) const override {
        return std::string(v.custom_data()) + " m";
    }
    BinaryOpAnswer binary_op(BinaryOpCode op, const CellValue& l,
                             const CellValue& r) const override {
        if (!is_mine(l) || !is_mine(r)) return {};
        if (op == BinaryOpCode::Div) return BinaryOpAnswer::error("#VALUE! cannot divide lengths");
        if (op != BinaryOpCode::Add) return {};
        std::string sum = std::to_string(static_cast<int>(number(l) + number(r)));
        return BinaryOpAnswer::result(CellValue::custom("m", sum));
    }
    CompareAnswer compare(CompareOp op, const CellValue& l, const CellValue& r) const override {
        if (!is_mine(l) || !is_mine(r)) return {};
        if (op == CompareOp::Ge) return CompareAnswer::error("no ordering");
        double a = number(l), b = number(r);
        return CompareAnswer::result(op == CompareOp::Lt ? a < b : a == b);
    }
    std::optional<double> as_number(const CellValue& v) const override { return number(v); }

private:
    static bool is_mine(const CellValue& v) { return v.is_custom() && v.custom_tag() == "m"; }
    static double number(const CellValue& v) {
        double x = 0;
        std::from_chars(v.custom_data().data(), v.custom_data().data() + v.custom_data().size(), x);
        return x;
    }
};

// Answers every operation on any custom operand; registered after Metres to check the order.
class Greedy : public CustomTypeHandler {
public:
    std::string_view type_tag() const override { return "greedy"; }
    std::string display(const CellValue&) const override { return "G"; }
    BinaryOpAnswer binary_op(BinaryOpCode, const CellValue&, const CellValue&) const override {
        return BinaryOpAnswer::result(CellValue::text("greedy"));
    }
    CompareAnswer compare(CompareOp, const CellValue&, const CellValue&) const override {
        return CompareAnswer::result(true);
    }
};

class CustomHandlers : public ::testing::TestWithParam<FormulaCase> {};

// A1 5m, A2 7m, A3 an "unit" value with no handler, A4 the same as A3.
TEST_P(CustomHandlers, AnswerOrDeclineInRegistrationOrder) {
    static const MapLookup lookup = [] {
        MapLookup l;
        l.set("A1", CellValue::custom("m", "5")).set("A2", CellValue::custom("m", "7"));
        l.set("A3", CellValue::custom("unit", "kg")).set("A4", CellValue::custom("unit", "kg"));
        return l;
    }();
    static const Registry registry = [] {
        Registry r;
        r.register_type(std::make_shared<Metres>());
        return r;
    }();
    static const Registry with_greedy = [] {
        Registry r = registry;
        r.register_type(std::make_shared<Greedy>());
        return r;
    }();
    const bool greedy = GetParam().formula.starts_with("G");
    std::string formula = greedy ? GetParam().formula.substr(1) : GetParam().formula;
    testing::expect_on_both_paths({formula, GetParam().expected}, lookup,
                                  greedy ? with_greedy : registry);
}

INSTANTIATE_TEST_SUITE_P(
    Operators, CustomHandlers,
    ::testing::Values(
        FormulaCase{"=A1+A2", "<m:12>"}, FormulaCase{"=A1*A2", "35"}, FormulaCase{"=A1*2", "10"},
        FormulaCase{"=A1/A2", "fail #VALUE! cannot divide lengths"},
        FormulaCase{"={A1,A2}/A2", "{#VALUE! cannot divide lengths,#VALUE! cannot divide lengths}"},
        FormulaCase{"=A1&\"!\"", "'5 m!'"}, FormulaCase{"=A3&\"!\"", "'kg!'"},
        FormulaCase{"=A3*2", "_"}, FormulaCase{"=A3+1", "'kg1'"}, FormulaCase{"=-A1", "_"},
        FormulaCase{"G=A1*2", "'greedy'"}, FormulaCase{"G=A1+A2", "<m:12>"},
        FormulaCase{"G=1+1", "2"}));

INSTANTIATE_TEST_SUITE_P(
    Comparisons, CustomHandlers,
    ::testing::Values(
        FormulaCase{"=A1<A2", "TRUE"}, FormulaCase{"=A1=A2", "FALSE"},
        FormulaCase{"=A1>=A2", "fail no ordering"}, FormulaCase{"=A1=5", "FALSE"},
        FormulaCase{"=A1<>5", "TRUE"}, FormulaCase{"=A1<5", "FALSE"},
        FormulaCase{"=A3=A4", "TRUE"}, FormulaCase{"=A3<>A4", "FALSE"},
        FormulaCase{"=A3<A4", "FALSE"}, FormulaCase{"=A3>=A4", "FALSE"},
        FormulaCase{"=A3=A1", "FALSE"}, FormulaCase{"G=A3<A4", "TRUE"},
        FormulaCase{"G=1<0", "FALSE"}, FormulaCase{"=A3=1/0", "fail #DIV/0!"}));

INSTANTIATE_TEST_SUITE_P(
    Functions, CustomHandlers,
    ::testing::Values(FormulaCase{"=SUM(A1:A4)", "12"}, FormulaCase{"=COUNT(A1:A4)", "2"},
                      FormulaCase{"=LEN(A1)", "3"}, FormulaCase{"=LEN(A3)", "2"},
                      FormulaCase{"=UPPER(A1)", "'5 M'"},
                      FormulaCase{"=CONCAT(A1:A4)", "'5 m7 mkgkg'"},
                      FormulaCase{"=ROUND(A2)", "7"}, FormulaCase{"=IF(A3,1,2)", "1"},
                      FormulaCase{"=SEQUENCE(A1)", "fail #VALUE! SEQUENCE: rows required"},
                      FormulaCase{"=SORT(A1:A4)", "{<m:5>;<m:7>;<unit:kg>;<unit:kg>}"},
                      FormulaCase{"=UNIQUE(A1:A4)", "{<m:5>;<m:7>;<unit:kg>}"}));

TEST(CustomHandlers, ClaimLiteralsBeforeNumbersAndBooleans) {
    class Everything : public CustomTypeHandler {
    public:
        std::string_view type_tag() const override { return "all"; }
        std::optional<CellValue> parse_literal(std::string_view text) const override {
            return CellValue::custom("all", text);
        }
        std::string display(const CellValue& v) const override {
            return std::string(v.custom_data());
        }
        CompareAnswer compare(CompareOp, const CellValue&, const CellValue&) const override {
            return {};
        }
    };
    Registry metres;
    metres.register_type(std::make_shared<Metres>());
    EXPECT_EQ(typed(classify_literal("5m", metres)), "<m:5>");
    EXPECT_EQ(typed(classify_literal("5", metres)), "5");
    EXPECT_EQ(typed(classify_literal("", metres)), "_");
    Registry both = metres;
    both.register_type(std::make_shared<Everything>());
    EXPECT_EQ(typed(classify_literal("5m", both)), "<m:5>");
    EXPECT_EQ(typed(classify_literal("1", both)), "<all:1>");
    EXPECT_EQ(typed(classify_literal("TRUE", both)), "<all:TRUE>");
    EXPECT_EQ(typed(classify_literal("", both)), "<all:>");
    Evaluator evaluator(empty_lookup(), 1000, 26, both);
    EXPECT_EQ(typed(*evaluator.evaluate("1")), "<all:1>");
}

}  // namespace
}  // namespace orvel::core
