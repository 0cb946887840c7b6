// Randomized robustness: any text gives a tree or a message, and any tree a value or an error,
// never a crash or a hang.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/ast_print.h"
#include "core/eval.h"
#include "core/lexer.h"
#include "core/parser.h"

namespace orvel::core {
namespace {

// Pieces that steer random text towards the grammar's corners.
const std::vector<std::string> kPieces = {
    "=",  "+",  "-",   "*",   "/",     "^",     "%",     "&",    "<",  ">",   "<=", "<>",
    ">=", "(",  ")",   "{",   "}",     ",",     ";",     ":",    "#",  "$",   "A1", "$B$2",
    "1",  ".5", "1.",  "\"",  "'",     "\"x\"", "SUM(",  "IF(",  "zz", "TRUE", "1:3", "A:C",
    " ",  "é",  "😀", "\t",  "A0",    "XFD99", "ab_1", "99999999999", "\v", "!", "@",
};

std::string random_text(std::mt19937& rng) {
    std::uniform_int_distribution<int> len(0, 24);
    std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::bernoulli_distribution raw(0.1);
    std::string out;
    for (int n = len(rng); n > 0; --n) {
        if (raw(rng)) {
            out += static_cast<char>(byte(rng));
        } else {
            out += kPieces[piece(rng)];
        }
    }
    return out;
}

TEST(RandomFormulas, LexAndParseNeverFail) {
    std::mt19937 rng(20261206);
    int trees = 0;
    for (int i = 0; i < 50000; ++i) {
        std::string text = random_text(rng);
        Lexer lexer(text);
        auto tokens = lexer.tokenize();
        auto partial = Lexer(text).tokenize_partial();
        if (tokens) {
            EXPECT_FALSE(partial.error_position.has_value()) << text;
            EXPECT_EQ(partial.tokens.size() + 1, tokens->size()) << text;
        } else {
            EXPECT_TRUE(partial.error_position.has_value()) << text;
        }
        auto ast = Parser::parse(text);
        if (ast) {
            ++trees;
            EXPECT_FALSE(to_sexpr(ast->root()).empty()) << text;
        } else {
            EXPECT_FALSE(ast.error().empty()) << text;
        }
    }
    EXPECT_GT(trees, 500);
}

TEST(RandomFormulas, TreesReprintToTheSameTree) {
    std::mt19937 rng(7);
    int checked = 0;
    for (int i = 0; i < 50000; ++i) {
        std::string text = random_text(rng);
        auto ast = Parser::parse(text);
        if (!ast) continue;
        // The printed form of operators and literals parses back to the same tree.
        std::string printed = to_sexpr(ast->root());
        if (printed.find_first_of("(\"{#") != std::string::npos) continue;
        auto again = Parser::parse(printed);
        ASSERT_TRUE(again) << text << " -> " << printed;
        EXPECT_EQ(to_sexpr(again->root()), printed);
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

// Random formulas built along the grammar, with every built-in, odd numbers and references.
class FormulaMaker {
public:
    explicit FormulaMaker(std::mt19937& rng) : rng_(rng) {}

    std::string expression(int depth) {
        int pick = depth <= 0 ? below(3) : below(9);
        switch (pick) {
            case 0: return literal();
            case 1: return reference();
            case 2: return one_of(kNames);
            case 3:
            case 4: return expression(depth - 1) + one_of(kOperators) + expression(depth - 1);
            case 5: return one_of({"-", "+"}) + expression(depth - 1);
            case 6: return "(" + expression(depth - 1) + ")";
            case 7: return array(depth - 1);
            default: return call(depth - 1);
        }
    }

private:
    static inline const std::vector<std::string> kFunctions = {
        "SUM", "AVERAGE", "MEAN", "MIN", "MAX", "COUNT", "ABS", "ROUND", "IF", "CONCAT", "LEN",
        "UPPER", "LOWER", "SEQUENCE", "TRANSPOSE", "FILTER", "SORT", "UNIQUE", "CUSTOM", "NOPE"};
    static inline const std::vector<std::string> kOperators = {"+", "-", "*", "/", "^", "%", "&",
                                                               "=", "<>", "<", "<=", ">", ">="};
    static inline const std::vector<std::string> kLiterals = {
        "0",     "1",    "2",   "-0",   "0.5", "1000", "100000", "4294967295", "99999999999",
        "\"\"", "\"x\"", "\"NaN\"", "\"inf\"", "\"1e3\"", "\"\xC3\x9F\"", "TRUE", "FALSE", "(5%0)"};
    static inline const std::vector<std::string> kReferences = {
        "A1", "B2",  "C3", "A1:C3", "C3:A1",      "A:A",        "1:1",       "A:C",
        "A1#", "B1#", "Z99", "A0",  "AAAAAAAAA1", "A1:A100000", "A1:A100001"};
    static inline const std::vector<std::string> kNames = {"X", "NAME_1"};

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    std::string one_of(const std::vector<std::string>& options) {
        return options[static_cast<std::size_t>(below(static_cast<int>(options.size())))];
    }
    std::string literal() { return one_of(kLiterals); }
    std::string reference() { return one_of(kReferences); }
    std::string array(int depth) {
        int rows = 1 + below(3), cols = 1 + below(3);
        std::string out = "{";
        for (int r = 0; r < rows; ++r) {
            if (r > 0) out += ';';
            for (int c = 0; c < cols; ++c) {
                if (c > 0) out += ',';
                out += depth > 0 && below(4) == 0 ? expression(depth - 1) : literal();
            }
        }
        return out + "}";
    }
    std::string call(int depth) {
        std::string out = one_of(kFunctions) + "(";
        for (int n = below(5), i = 0; i < n; ++i) {
            if (i > 0) out += ',';
            out += expression(depth);
        }
        return out + ")";
    }

    std::mt19937& rng_;
};

// Cells of every kind, a spilled array and a custom function with a custom type.
class MixedCells : public CellLookup {
public:
    CellValue cell(std::uint32_t col, std::uint32_t row) const override {
        switch ((col * 7 + row) % 7) {
            case 0: return CellValue::number(row * 0.5 - col);
            case 1: return CellValue::text("t" + std::to_string(row));
            case 2: return CellValue::boolean(row % 2 == 0);
            case 3: return CellValue::error(ErrorKind::NotAvailable);
            case 4: return CellValue::custom("tag", "7");
            case 5: return CellValue::text("12");
            default: return CellValue();
        }
    }
    CellValue cell_by_id(std::string_view) const override { return CellValue::text("far"); }
};

class OneSpill : public SpillResolver {
public:
    OneSpill() : array_(2, 2, {CellValue::number(1), CellValue::text("a"), CellValue(),
                               CellValue::error(ErrorKind::Value)}) {}
    const ArrayValue* spilled(std::uint32_t col, std::uint32_t row) const override {
        return col == 1 && row == 1 ? &array_ : nullptr;
    }
    const ArrayValue* spilled_by_id(std::string_view) const override { return nullptr; }

private:
    ArrayValue array_;
};

class TagHandler : public CustomTypeHandler {
public:
    std::string_view type_tag() const override { return "tag"; }
    std::string display(const CellValue& v) const override {
        return "<" + std::string(v.custom_data()) + ">";
    }
    BinaryOpAnswer binary_op(BinaryOpCode op, const CellValue&, const CellValue&) const override {
        if (op == BinaryOpCode::Div) return BinaryOpAnswer::error("#VALUE! no division");
        return {};
    }
    CompareAnswer compare(CompareOp op, const CellValue&, const CellValue&) const override {
        if (op == CompareOp::Lt) return CompareAnswer::result(true);
        return {};
    }
    std::optional<double> as_number(const CellValue& v) const override {
        return v.custom_data().size();
    }
};

class CountArgs : public CustomFunction {
public:
    std::string_view name() const override { return "Custom"; }
    Expected<CellValue, std::string> call(std::span<const CellValue> args) const override {
        if (args.size() == 2) return unexpected(std::string("#VALUE! two"));
        return CellValue::number(static_cast<double>(args.size()));
    }
};

TEST(RandomFormulas, EvaluateToAValueOrAnError) {
    std::mt19937 rng(31337);
    FormulaMaker maker(rng);
    Registry registry;
    registry.register_type(std::make_shared<TagHandler>());
    registry.register_function(std::make_shared<CountArgs>());
    const MixedCells cells;
    const OneSpill spill;
    int values = 0, failures = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string formula = "=" + maker.expression(4);
        auto ast = Parser::parse(formula);
        ASSERT_TRUE(ast) << formula << ": " << ast.error();
        Evaluator evaluator(cells, 50, 20, registry);
        evaluator.with_spill_resolver(&spill);
        auto result = evaluator.eval_node(ast->root());
        if (result) {
            ++values;
            EXPECT_EQ(std::uint64_t{result->rows()} * result->cols(), result->size()) << formula;
        } else {
            ++failures;
        }
        // The same text one-shot: built-ins only, every cell Empty.
        auto one_shot = evaluate_one_shot(formula);
        if (!one_shot) {
            EXPECT_FALSE(one_shot.error().display().empty()) << formula;
        }
    }
    EXPECT_GT(values, 2000);
    EXPECT_GT(failures, 200);
}

TEST(RandomFormulas, RandomTextEvaluatesOrFailsOneShot) {
    std::mt19937 rng(99);
    for (int i = 0; i < 50000; ++i) {
        std::string text = random_text(rng);
        auto value = evaluate_one_shot(text);
        // Only formulas can fail; every other text is a literal.
        if (!value) {
            EXPECT_TRUE(text.starts_with("=")) << text;
            EXPECT_FALSE(value.error().display().empty()) << text;
        }
    }
}

}  // namespace
}  // namespace orvel::core
