// Parses the formulas given on the command line (or a few samples) and prints their trees.
#include <iostream>
#include <string>
#include <vector>

#include "core/ast_print.h"
#include "core/parser.h"

int main(int argc, char** argv) {
    std::vector<std::string> formulas(argv + 1, argv + argc);
    if (formulas.empty()) {
        formulas = {"=SUM(A1:B3)*2+1", "=-2^2", "=IF(A1>0, \"yes\", \"no\")&\"!\"",
                    "={1,2;3,4}", "=A1#+B:B", "=SUM(1,)"};
    }
    for (const std::string& formula : formulas) {
        auto ast = orvel::core::Parser::parse(formula);
        std::cout << formula << "\n    ";
        if (ast) {
            std::cout << orvel::core::to_sexpr(ast->root()) << "\n";
        } else {
            std::cout << "parse error: " << ast.error() << "\n";
        }
    }
    return 0;
}
