// Randomized robustness: any text gives a tree or a message, never a crash or a hang.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/ast_print.h"
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

}  // namespace
}  // namespace orvel::core
