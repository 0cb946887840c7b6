#include "core/parser.h"

#include <gtest/gtest.h>

#include <string>

#include "core/ast_print.h"
#include "core/limits.h"

namespace orvel::core {
namespace {

std::string parsed(const std::string& text) {
    auto ast = Parser::parse(text);
    return ast ? to_sexpr(ast->root()) : "error: " + ast.error();
}

struct ParseCase {
    std::string input;
    std::string expected;  // to_sexpr() of the tree, or "error: message"
};

class ParserTrees : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParserTrees, FollowPrecedenceAndMessages) {
    EXPECT_EQ(parsed(GetParam().input), GetParam().expected) << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, ParserTrees,
    ::testing::Values(ParseCase{"=1+2*3", "(+ 1 (* 2 3))"}, ParseCase{"=(1+2)*3", "(* (+ 1 2) 3)"},
                      ParseCase{"=-2^2", "(^ (u- 2) 2)"}, ParseCase{"=2^3^2", "(^ (^ 2 3) 2)"},
                      ParseCase{"=2^-1", "(^ 2 (u- 1))"}, ParseCase{"=1+2&3", "(& (+ 1 2) 3)"},
                      ParseCase{"=A1=B1", "(= A1 B1)"}, ParseCase{"=A1<>B1", "(<> A1 B1)"},
                      ParseCase{"=1<2<3", "(< (< 1 2) 3)"}, ParseCase{"=-7%3", "(% (u- 7) 3)"},
                      ParseCase{"=-A1*2", "(* (u- A1) 2)"}, ParseCase{"=--1", "(u- (u- 1))"},
                      ParseCase{"=+1", "(u+ 1)"}, ParseCase{"=1-2-3", "(- (- 1 2) 3)"},
                      ParseCase{"=1>=2", "(>= 1 2)"}, ParseCase{"1+1", "(+ 1 1)"},
                      ParseCase{"=a<=b", "(<= A B)"}));

INSTANTIATE_TEST_SUITE_P(
    Primaries, ParserTrees,
    ::testing::Values(
        ParseCase{"=SUM()", "(SUM)"}, ParseCase{"=sum(1,2)", "(SUM 1 2)"},
        ParseCase{"=A1:B2", "A1:B2"}, ParseCase{"=$A$1:b2", "A1:B2"},
        ParseCase{"=B2:A1", "B2:A1"}, ParseCase{"=A1#", "A1#"}, ParseCase{"=A:C", "A:C"},
        ParseCase{"=$A:$C", "A:C"}, ParseCase{"=1:3", "1:3"}, ParseCase{"=0:3", "0:3"},
        ParseCase{"=TaxRate*2", "(* TAXRATE 2)"}, ParseCase{"=TRUE", "TRUE"},
        ParseCase{"=false", "FALSE"}, ParseCase{"={1,2;3,4}", "{1,2;3,4}"},
        ParseCase{"={A1:B2,3}", "{A1:B2,3}"}, ParseCase{"=\"a\"&'b'", "(& \"a\" \"b\")"},
        ParseCase{"=A0", "A0"}, ParseCase{"=A4294967295", "A4294967295"},
        ParseCase{"=.5", "0.5"}, ParseCase{"=1.", "1"}, ParseCase{"=$5", "5"},
        ParseCase{"=F(G(1),{2})", "(F (G 1) {2})"}, ParseCase{"=AB_1", "AB_1"}));

INSTANTIATE_TEST_SUITE_P(
    Errors, ParserTrees,
    ::testing::Values(
        ParseCase{"=SUM(1,)", "error: Unexpected token: RParen ())"},
        ParseCase{"=SUM(1 2)", "error: Expected RParen but got Number"},
        ParseCase{"=SUM(", "error: Unexpected token: Eof ()"},
        ParseCase{"=LOG10(2)", "error: Unexpected token: ("},
        ParseCase{"=A1:B", "error: Expected CellRef but got Function"},
        ParseCase{"=A1:B2#", "error: Unexpected token: #"},
        ParseCase{"=A:C1", "error: Unexpected token: :"},
        ParseCase{"=A:B_1", "error: Invalid column range end: B_1"},
        ParseCase{"=1.5:3", "error: Invalid row number: 1.5"},
        ParseCase{"=1:3.5", "error: Invalid row number: 3.5"},
        ParseCase{"=1:99999999999", "error: Invalid row number: 99999999999"},
        ParseCase{"=true()", "error: Unexpected token: ("},
        ParseCase{"={}", "error: Array literal must contain at least one element"},
        ParseCase{"={1,2;3}",
                  "error: Array literal rows have inconsistent widths (row 1 has 1, row 0 has 2)"},
        ParseCase{"={1 2}", "error: Expected `,`, `;`, or `}` in array literal; got 2"},
        ParseCase{"={1;}", "error: Unexpected token: RBrace (})"},
        ParseCase{"=1 2", "error: Unexpected token: 2"},
        ParseCase{"==1", "error: Unexpected token: Operator (=)"},
        ParseCase{"=A99999999999", "error: Invalid cell reference: A99999999999"},
        ParseCase{"=A1:B99999999999", "error: Invalid cell reference: B99999999999"},
        ParseCase{"", "error: Unexpected token: Eof ()"},
        ParseCase{"=", "error: Unexpected token: Eof ()"},
        ParseCase{"=(1", "error: Expected RParen but got Eof"},
        ParseCase{"=\"x", "error: Unterminated string"},
        ParseCase{"=1+*2", "error: Unexpected token: Operator (*)"},
        ParseCase{"=\"a\" \"b\"", "error: Unexpected token: b"}));

TEST(ParserNesting, AcceptsTheBoundAndRejectsOnePast) {
    auto nested = [](std::size_t depth) {
        return "=" + std::string(depth, '(') + "1" + std::string(depth, ')');
    };
    EXPECT_EQ(parsed(nested(kMaxNestingDepth)), "1");
    EXPECT_EQ(parsed(nested(kMaxNestingDepth + 1)), "error: " + nesting_limit_message());
    EXPECT_EQ(parsed("=" + std::string(kMaxNestingDepth + 1, '-') + "1"),
              "error: " + nesting_limit_message());
    std::string calls = "=";
    for (std::size_t i = 0; i <= kMaxNestingDepth; ++i) calls += "F(";
    calls += "1" + std::string(kMaxNestingDepth + 1, ')');
    EXPECT_EQ(parsed(calls), "error: " + nesting_limit_message());
    EXPECT_EQ(parsed("=" + std::string(100000, '(')), "error: " + nesting_limit_message());
    EXPECT_EQ(parsed("=" + std::string(100000, '{')), "error: " + nesting_limit_message());
}

TEST(ParserChains, LongOperatorChainsParseWithoutDeepRecursion) {
    std::string formula = "=A1";
    for (int i = 2; i <= 100000; ++i) formula += "+A" + std::to_string(i);
    auto ast = Parser::parse(formula);
    ASSERT_TRUE(ast) << ast.error();
    const AstNode* node = ast->root();
    std::size_t depth = 0;
    while (node->kind == NodeKind::BinaryOp) {
        node = node->child(0);
        ++depth;
    }
    EXPECT_EQ(depth, 99999u);
    EXPECT_EQ(node->kind, NodeKind::CellRef);
    EXPECT_EQ(to_sexpr(ast->root()).size(), formula.size() - 1 + 4 * 99999);
}

TEST(ParserNodes, KeepColumnsAndRowsOfReferences) {
    auto ast = Parser::parse("=$AB$12:c3");
    ASSERT_TRUE(ast);
    const AstNode* range = ast->root();
    EXPECT_EQ(range->kind, NodeKind::Range);
    EXPECT_EQ(range->text, "AB");
    EXPECT_EQ(range->col, 28u);
    EXPECT_EQ(range->row, 12u);
    EXPECT_EQ(range->text2, "C");
    EXPECT_EQ(range->col2, 3u);
    EXPECT_EQ(range->row2, 3u);
}

}  // namespace
}  // namespace orvel::core
