#include "core/names.h"

#include <gtest/gtest.h>

#include <string>

#include "core/ast_print.h"
#include "core/limits.h"
#include "core/parser.h"

namespace orvel::core {
namespace {

struct NameCheckCase {
    std::string name;
    std::string message;  // empty when the name is accepted
};

class NameChecks : public ::testing::TestWithParam<NameCheckCase> {};

TEST_P(NameChecks, RejectFirstFailingRuleWithItsMessage) {
    auto message = check_name(GetParam().name);
    EXPECT_EQ(message.value_or(""), GetParam().message) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NameChecks,
    ::testing::Values(
        NameCheckCase{"", "Name must not be empty"},
        NameCheckCase{"1X", "Invalid name \"1X\": must start with a letter or underscore"},
        NameCheckCase{"A-B", "Invalid name \"A-B\": only letters, digits, and underscores allowed"},
        NameCheckCase{"TRUE", "Invalid name \"TRUE\": shadows a boolean literal"},
        NameCheckCase{"false", "Invalid name \"false\": shadows a boolean literal"},
        NameCheckCase{"A1", "Invalid name \"A1\": looks like a cell reference"},
        NameCheckCase{"ab12", "Invalid name \"ab12\": looks like a cell reference"},
        NameCheckCase{"TRUE1", "Invalid name \"TRUE1\": looks like a cell reference"},
        NameCheckCase{"sum", "Invalid name \"sum\": shadows a built-in function"},
        NameCheckCase{"Avg", "Invalid name \"Avg\": shadows a built-in function"},
        NameCheckCase{"TAX_RATE", ""}, NameCheckCase{"A1B", ""}, NameCheckCase{"_X", ""},
        NameCheckCase{"_", ""}));

// Names are quoted as a1_test.cpp's DebugQuoting cases show; here that names use it.
INSTANTIATE_TEST_SUITE_P(
    QuotedInMessages, NameChecks,
    ::testing::Values(
        NameCheckCase{"a\"b\\",
                      "Invalid name \"a\\\"b\\\\\": only letters, digits, and underscores allowed"},
        NameCheckCase{
            "\xC3\xA9t\xC3\xA9",
            "Invalid name \"\xC3\xA9t\xC3\xA9\": must start with a letter or underscore"}));

struct DefinitionCase {
    std::string text;
    std::string tree;  // to_sexpr, or "error: message"
};

class Definitions : public ::testing::TestWithParam<DefinitionCase> {};

TEST_P(Definitions, ParseAsFormulaNumberOrText) {
    auto tree = parse_definition(GetParam().text);
    EXPECT_EQ(tree ? to_sexpr(tree->root()) : "error: " + tree.error(), GetParam().tree);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Definitions,
    ::testing::Values(DefinitionCase{"=B1*2", "(* B1 2)"}, DefinitionCase{"0.05", "0.05"},
                      DefinitionCase{"1e3", "1000"}, DefinitionCase{"-.5", "-0.5"},
                      DefinitionCase{"1e400", "\"1e400\""}, DefinitionCase{"inf", "\"inf\""},
                      DefinitionCase{"NaN", "\"NaN\""}, DefinitionCase{"TRUE", "\"TRUE\""},
                      DefinitionCase{" 1", "\" 1\""}, DefinitionCase{"", "\"\""},
                      DefinitionCase{"=1+", "error: Unexpected token: Eof ()"}));

std::string resolved(const NameTable& names, const std::string& formula) {
    auto ast = Parser::parse(formula);
    if (!ast) return "parse error";
    NameResolver resolver(names);
    AstArena arena;
    auto root = resolver.resolve(ast->root(), arena);
    return root ? to_sexpr(*root) : "error: " + root.error();
}

struct ResolveCase {
    std::string formula;
    std::string result;
};

class Resolution : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(Resolution, SubstitutesDefinitionsOrGivesFirstError) {
    NameTable names{{"TAX", "0.05"},
                    {"RATE", "=B1"},
                    {"A", "=B+1"},
                    {"B", "=A"},
                    {"X", "=X"},
                    {"T", "TRUE"},
                    {"BAD", "=1+"},
                    {"E", ""},
                    {"TWICE", "=RATE+RATE"},
                    {"LOOPY", "=UNDEFINED+X"}};
    EXPECT_EQ(resolved(names, GetParam().formula), GetParam().result) << GetParam().formula;
}

INSTANTIATE_TEST_SUITE_P(Cases, Resolution,
                         ::testing::Values(ResolveCase{"=A1*TAX", "(* A1 0.05)"},
                                           ResolveCase{"=RATE*2", "(* B1 2)"},
                                           ResolveCase{"=A", "error: #CIRCULAR!"},
                                           ResolveCase{"=X", "error: #CIRCULAR!"},
                                           ResolveCase{"=IF(TRUE, 1, NOPE)", "error: #NAME?"},
                                           ResolveCase{"=T", "\"TRUE\""},
                                           ResolveCase{"=E&1", "(& \"\" 1)"},
                                           ResolveCase{"=BAD", "error: Unexpected token: Eof ()"},
                                           ResolveCase{"=TWICE*TWICE", "(* (+ B1 B1) (+ B1 B1))"},
                                           ResolveCase{"=LOOPY", "error: #NAME?"},
                                           ResolveCase{"=NOPE+X", "error: #NAME?"},
                                           ResolveCase{"=X+NOPE", "error: #CIRCULAR!"}));

TEST(NameResolution, SharesDefinitionsBuiltFromEachOther) {
    // N0 = 1, N1 = N0+N0, ..., N18: half a million nodes written out, nineteen when shared.
    NameTable names{{"N_0", "1"}};
    for (int i = 1; i < 19; ++i) {
        std::string prev = "N_" + std::to_string(i - 1);
        names.insert_or_assign("N_" + std::to_string(i), "=" + prev + "+" + prev);
    }
    auto ast = Parser::parse("=N_18");
    NameResolver resolver(names);
    AstArena arena;
    auto root = resolver.resolve(ast->root(), arena);
    ASSERT_TRUE(root);
    EXPECT_EQ((*root)->child(0), (*root)->child(1));
}

TEST(NameResolution, ExpansionPastTheNodeBoundIsAnError) {
    NameTable names{{"N_0", "1"}};
    for (int i = 1; i < 25; ++i) {
        std::string prev = "N_" + std::to_string(i - 1);
        names.insert_or_assign("N_" + std::to_string(i), "=" + prev + "+" + prev);
    }
    // N18 brings in 2^19 - 1 nodes, N19 twice as many: more than the bound.
    EXPECT_NE(resolved(names, "=N_18").rfind("error", 0), 0u);
    EXPECT_EQ(resolved(names, "=N_19"), "error: " + std::string(kNameTooLargeText));
    EXPECT_EQ(resolved(names, "=N_18+N_18"), "error: " + std::string(kNameTooLargeText));
    EXPECT_EQ(resolved(names, "=N_24"), "error: " + std::string(kNameTooLargeText));
}

TEST(NameResolution, ChainsPastTheDepthBoundAreAnError) {
    NameTable names{{"C_0", "7"}};
    for (std::uint32_t i = 1; i <= kMaxNameDepth + 5; ++i) {
        names.insert_or_assign("C_" + std::to_string(i), "=C_" + std::to_string(i - 1));
    }
    NameResolver resolver(names);
    auto within = Parser::parse("=C_" + std::to_string(kMaxNameDepth - 1));
    auto past = Parser::parse("=C_" + std::to_string(kMaxNameDepth + 5));
    AstArena arena;
    auto ok = resolver.resolve(within->root(), arena);
    ASSERT_TRUE(ok);
    EXPECT_EQ(to_sexpr(*ok), "7");
    auto too_deep = resolver.resolve(past->root(), arena);
    ASSERT_FALSE(too_deep);
    EXPECT_EQ(too_deep.error(), kNameTooDeepText);
    // The failure deep down the chain does not stick to the names it passed through.
    auto again = resolver.resolve(within->root(), arena);
    ASSERT_TRUE(again);
}

TEST(NameResolution, NestingPastTheDepthBoundIsAnError) {
    // Each name wraps the next in one more call: nesting grows without parentheses in any text.
    NameTable names{{"W_0", "1"}};
    for (int i = 1; i <= 90; ++i) {
        names.insert_or_assign("W_" + std::to_string(i),
                               "=ABS(1+ABS(1+ABS(1+W_" + std::to_string(i - 1) + ")))");
    }
    EXPECT_EQ(resolved(names, "=W_90"), "error: " + std::string(kNameTooDeepText));
    EXPECT_NE(resolved(names, "=W_10").rfind("error", 0), 0u);
}

TEST(NameResolution, LongOperatorChainsResolveWithoutRecursion) {
    std::string formula = "=1";
    for (int i = 0; i < 100000; ++i) formula += "+TAX";
    NameTable names{{"TAX", "2"}};
    auto ast = Parser::parse(formula);
    ASSERT_TRUE(ast);
    NameResolver resolver(names);
    AstArena arena;
    auto root = resolver.resolve(ast->root(), arena);
    ASSERT_TRUE(root);
    EXPECT_EQ((*root)->child(1)->kind, NodeKind::Number);
}

}  // namespace
}  // namespace orvel::core

namespace orvel::core {
namespace {

std::string listed(const NameTable& table) {
    std::string out;
    table.for_each([&](const std::string& name, const std::string& definition) {
        out += name + "=" + definition + " ";
    });
    return out;
}

TEST(NameTable, NewNamesGoLastRedefinedKeepTheirPlaceRemovedCloseTheGap) {
    NameTable table{{"A", "1"}, {"B", "2"}, {"C", "3"}};
    table.insert_or_assign("A", "9");
    EXPECT_TRUE(table.erase("B"));
    EXPECT_FALSE(table.erase("B"));
    table.insert_or_assign("B", "4");
    EXPECT_EQ(listed(table), "A=9 C=3 B=4 ");
    // Many removals compact the entries without disturbing the order of the rest.
    for (int i = 0; i < 1000; ++i) table.insert_or_assign("N" + std::to_string(i), "x");
    for (int i = 0; i < 1000; ++i) {
        if (i != 500) table.erase("N" + std::to_string(i));
    }
    EXPECT_EQ(listed(table), "A=9 C=3 B=4 N500=x ");
    EXPECT_EQ(table.size(), 4u);
    ASSERT_NE(table.find("N500"), nullptr);
    EXPECT_EQ(table.find("N499"), nullptr);
}

}  // namespace
}  // namespace orvel::core
