#include "core/tokens.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel::core {
namespace {

// "kind(start,end)" for each span.
std::string describe(const std::vector<TokenSpan>& spans) {
    std::string out;
    for (const TokenSpan& s : spans) {
        if (!out.empty()) out += ' ';
        out += std::string(token_class_name(s.kind)) + "(" + std::to_string(s.start) + "," +
               std::to_string(s.end) + ")";
    }
    return out;
}

struct TokensCase {
    std::string formula;
    std::string expected;
};

class TokenClassification : public ::testing::TestWithParam<TokensCase> {};

TEST_P(TokenClassification, SpansTileTheFormulaAfterTheEqualsSign) {
    EXPECT_EQ(describe(formula_tokens(GetParam().formula)), GetParam().expected)
        << GetParam().formula;
}

INSTANTIATE_TEST_SUITE_P(NotAFormula, TokenClassification,
                         ::testing::Values(TokensCase{"", ""}, TokensCase{"A1+1", ""},
                                           TokensCase{"=", ""},
                                           TokensCase{"= ", "whitespace(1,2)"}));

INSTANTIATE_TEST_SUITE_P(
    Kinds, TokenClassification,
    ::testing::Values(
        TokensCase{"=SUM(A1:B2) + 1",
                   "function(1,4) paren(4,5) range(5,10) paren(10,11) whitespace(11,12) "
                   "operator(12,13) whitespace(13,14) number(14,15)"},
        TokensCase{"=A:C", "range(1,4)"}, TokensCase{"=1:3", "range(1,4)"},
        TokensCase{"=$1:$3", "range(1,6)"}, TokensCase{"=A1 : B2", "range(1,8)"},
        TokensCase{"=A1:B", "cell_ref(1,3) operator(3,4) name(4,5)"},
        TokensCase{"=A1:1", "cell_ref(1,3) operator(3,4) number(4,5)"},
        TokensCase{"=X_2:Y", "name(1,4) operator(4,5) name(5,6)"},
        TokensCase{"=SUM (A1)",
                   "function(1,4) whitespace(4,5) paren(5,6) cell_ref(6,8) "
                   "paren(8,9)"},
        TokensCase{"=RATE*2", "name(1,5) operator(5,6) number(6,7)"},
        TokensCase{"=TRUE", "boolean(1,5)"},
        TokensCase{"={1;2}", "paren(1,2) number(2,3) comma(3,4) number(4,5) paren(5,6)"},
        TokensCase{"=A1#", "cell_ref(1,3) operator(3,4)"},
        TokensCase{"=\"a b\"&'c'", "string(1,6) operator(6,7) string(7,10)"},
        TokensCase{"=F(1,2)",
                   "function(1,2) paren(2,3) number(3,4) comma(4,5) number(5,6) "
                   "paren(6,7)"},
        TokensCase{"= 1 ", "whitespace(1,2) number(2,3) whitespace(3,4)"},
        TokensCase{"=1<>2", "number(1,2) operator(2,4) number(4,5)"}));

INSTANTIATE_TEST_SUITE_P(
    LexerFailure, TokenClassification,
    ::testing::Values(TokensCase{"=A1 + ~B",
                                 "cell_ref(1,3) whitespace(3,4) operator(4,5) whitespace(5,6) "
                                 "unknown(6,8)"},
                      TokensCase{"=A1&'abc", "cell_ref(1,3) operator(3,4) unknown(4,8)"},
                      TokensCase{"=~", "unknown(1,2)"},
                      TokensCase{"=  ~ x", "whitespace(1,3) unknown(3,6)"},
                      TokensCase{"=1+\u00E9\u00E9", "number(1,2) operator(2,3) unknown(3,5)"},
                      TokensCase{"=A$", "name(1,2) unknown(2,3)"}));

INSTANTIATE_TEST_SUITE_P(
    CharacterPositions, TokenClassification,
    ::testing::Values(TokensCase{"='\u00E9'", "string(1,4)"},
                      TokensCase{"='\U0001F600' & A1",
                                 "string(1,4) whitespace(4,5) operator(5,6) whitespace(6,7) "
                                 "cell_ref(7,9)"}));

}  // namespace
}  // namespace orvel::core
