// A compact S-expression text of a syntax tree, for tests, examples and debugging.
#pragma once

#include <string>

#include "core/ast.h"

namespace orvel::core {

// Literals and references as written ("1.5", "\"x\"", "TRUE", "A1", "A1:B2", "A:C", "1:3",
// "A1#", names), operators as "(op left right)", signs as "(u- x)", calls as "(NAME args...)",
// comparisons as "(<= l r)", array literals as "{a,b;c,d}". Walks with an explicit stack.
std::string to_sexpr(const AstNode* root);

}  // namespace orvel::core
