#include "core/lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvel::core {
namespace {

using namespace std::string_literals;

// "Kind:text@position+length" for each token, Eof included.
std::string describe(const std::vector<Token>& tokens) {
    std::string out;
    for (const Token& t : tokens) {
        if (!out.empty()) out += ' ';
        out += std::string(token_type_name(t.kind)) + ":" + t.text + "@" +
               std::to_string(t.position) + "+" + std::to_string(t.length);
    }
    return out;
}

struct LexCase {
    std::string input;
    std::string expected;  // describe() of the tokens, or "error: message"
};

class LexerTokens : public ::testing::TestWithParam<LexCase> {};

TEST_P(LexerTokens, ClassifyCharacters) {
    Lexer lexer(GetParam().input);
    auto tokens = lexer.tokenize();
    std::string got = tokens ? describe(*tokens) : "error: " + tokens.error();
    EXPECT_EQ(got, GetParam().expected) << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Table, LexerTokens,
    ::testing::Values(
        LexCase{"", "Eof:@0+0"}, LexCase{"  \t", "Eof:@3+0"},
        LexCase{"a1", "CellRef:A1@0+2 Eof:@2+0"}, LexCase{"$a$1", "CellRef:A1@0+4 Eof:@4+0"},
        LexCase{"true", "Boolean:TRUE@0+4 Eof:@4+0"},
        LexCase{"$true", "Function:TRUE@0+5 Eof:@5+0"},
        LexCase{"TRUE1", "CellRef:TRUE1@0+5 Eof:@5+0"}, LexCase{"$A", "Function:A@0+2 Eof:@2+0"},
        LexCase{"A$", "error: Unexpected character: $ at position 1"},
        LexCase{"A$1B", "error: Unexpected character: $ at position 0"},
        LexCase{"$1", "Number:1@0+2 Eof:@2+0"},
        LexCase{"$ ", "error: Unexpected character: $ at position 0"},
        LexCase{"\"it's\"", "String:it's@0+6 Eof:@6+0"},
        LexCase{"'say \"x\"'", "String:say \"x\"@0+9 Eof:@9+0"},
        LexCase{"\"\"", "String:@0+2 Eof:@2+0"}, LexCase{"\"abc", "error: Unterminated string"},
        LexCase{"<>", "Operator:<>@0+2 Eof:@2+0"},
        LexCase{"< >", "Operator:<@0+1 Operator:>@2+1 Eof:@3+0"},
        LexCase{">=<=", "Operator:>=@0+2 Operator:<=@2+2 Eof:@4+0"},
        LexCase{"1.5.2", "Number:1.5@0+3 Number:.2@3+2 Eof:@5+0"},
        LexCase{"1.", "Number:1.@0+2 Eof:@2+0"},
        LexCase{". ", "error: Unexpected character: . at position 0"},
        LexCase{"1e5", "Number:1@0+1 CellRef:E5@1+2 Eof:@3+0"},
        LexCase{"Sheet1!A1", "error: Unexpected character: ! at position 6"},
        LexCase{"LOG10(2)", "CellRef:LOG10@0+5 LParen:(@5+1 Number:2@6+1 RParen:)@7+1 Eof:@8+0"},
        LexCase{"ab_1 A1B x2y", "Function:AB_1@0+4 Function:A1B@5+3 Function:X2Y@9+3 Eof:@12+0"},
        LexCase{"z1+fizz", "CellRef:Z1@0+2 Operator:+@2+1 Function:FIZZ@3+4 Eof:@7+0"},
        LexCase{"{1,2;3}#:",
                "LBrace:{@0+1 Number:1@1+1 Comma:,@2+1 Number:2@3+1 Semicolon:;@4+1 "
                "Number:3@5+1 RBrace:}@6+1 Hash:#@7+1 Colon::@8+1 Eof:@9+0"},
        LexCase{"%&*+-/^",
                "Operator:%@0+1 Operator:&@1+1 Operator:*@2+1 Operator:+@3+1 "
                "Operator:-@4+1 Operator:/@5+1 Operator:^@6+1 Eof:@7+0"},
        LexCase{"\"\xF0\x9F\x98\x80\" & x",
                "String:\xF0\x9F\x98\x80@0+3 Operator:&@4+1 "
                "Function:X@6+1 Eof:@7+0"},
        LexCase{"\"h\xC3\xA9\" \xC3\xA9", "error: Unexpected character: \xC3\xA9 at position 5"},
        LexCase{"1\v2", "error: Unexpected character: \v at position 1"},
        LexCase{"1\xE3\x80\x80"
                "2",
                "error: Unexpected character: \xE3\x80\x80 at position 1"},
        LexCase{"1\0"s, "error: Unexpected character: \0 at position 1"s},
        LexCase{"1\xFF", "error: Unexpected character: \xEF\xBF\xBD at position 1"},
        LexCase{" \r\n\f1", "Number:1@4+1 Eof:@5+0"}));

TEST(LexerBytes, TokensRecordTheirByteSpan) {
    Lexer lexer("\"\xC3\xA9\"+$B$2");
    auto tokens = lexer.tokenize();
    ASSERT_TRUE(tokens);
    EXPECT_EQ((*tokens)[0].byte_start, 0u);
    EXPECT_EQ((*tokens)[0].byte_end, 4u);
    EXPECT_EQ((*tokens)[2].byte_start, 5u);
    EXPECT_EQ((*tokens)[2].byte_end, 9u);
    EXPECT_EQ((*tokens)[2].position, 4u);
}

// Partial and whole token lists agree on random text: random_formula_test.cpp.
TEST(LexerPartial, StopsAtTheFailingToken) {
    Lexer lexer("1 + \"abc");
    auto partial = lexer.tokenize_partial();
    EXPECT_EQ(partial.tokens.size(), 2u);
    ASSERT_TRUE(partial.error_position.has_value());
    EXPECT_EQ(*partial.error_position, 4u);
}

}  // namespace
}  // namespace orvel::core
