// Formulas of single values flattened into postfix code. Most formulas of a sheet combine a few
// numbers and cell references with operators ("=A1*2+1"): as a tree, every node costs a frame, an
// array value and 88 bytes of node read from memory. Flattened, such a formula is a few 16-byte
// instructions run in one loop on a stack of plain values (Evaluator::eval_code), and a sheet
// keeps only the code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/ast.h"

namespace orvel::core {

struct ScalarOp {
    enum class Code : std::uint8_t {
        Number,    // pushes `number`
        Boolean,   // pushes `arg` as a boolean
        Text,      // pushes the literal text()
        Cell,      // pushes the cell at `col`, `row`
        CellById,  // pushes the cell whose id is text() (column letters past the last column)
        Sign,      // applies the sign `arg` ('+' or '-') to the top value
        Binary,    // combines the two top values with the BinaryOpCode `arg`
        Compare,   // compares the two top values with the CompareOp `arg`
    };
    Code code;
    std::uint8_t arg;
    std::uint32_t col;  // Cell: the column; Text and CellById: the length of `chars`
    union {
        double number;
        std::uint32_t row;
        const char* chars;
    };

    std::string_view text() const noexcept { return {chars, col}; }
};
static_assert(sizeof(ScalarOp) == 16);

// Flattens trees into code kept in an arena, with the texts it needs: the code does not refer to
// the tree. Keeps its working memory from one tree to the next.
class ScalarFlattener {
public:
    // The code of a tree made only of numbers, texts, booleans, cell references, signs, the seven
    // binary operators and comparisons, using no shared subtree twice, stored in `into`; empty
    // code for any other tree.
    std::span<const ScalarOp> flatten(const AstNode* root, AstArena& into);

private:
    struct Frame {
        const AstNode* node;
        std::size_t next_child;
    };
    bool flatten_ops(const AstNode* root);

    std::vector<Frame> frames_;
    std::vector<ScalarOp> ops_;
    std::vector<const AstNode*> text_leaves_;  // the leaf of each Text and CellById op, in order
    std::unordered_set<const AstNode*> shared_seen_;  // shared subtrees met in this tree
};

// A copy of code into another arena (when a store is packed again).
std::span<const ScalarOp> copy_code(std::span<const ScalarOp> code, AstArena& into);

}  // namespace orvel::core
