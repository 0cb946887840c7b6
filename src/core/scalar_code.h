// Formulas of single values flattened into postfix code. Most formulas of a sheet combine a few
// numbers and cell references with operators ("=A1*2+1"); evaluated from their trees, every node
// costs a frame and an array value, and the nodes are read from all over the formula store.
// Flattened one after another in evaluation order, they run as one loop over a contiguous array
// with a stack of plain values (Evaluator::eval_code).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/ast.h"

namespace orvel::core {

// One instruction: 16 bytes.
struct ScalarOp {
    enum class Code : std::uint8_t {
        Number,    // pushes `number`
        Boolean,   // pushes `arg` as a boolean
        Text,      // pushes the text of the leaf `node`
        Cell,      // pushes the cell at `col`, `row`
        CellById,  // pushes the cell the leaf `node` names by its id text
        Sign,      // applies the sign `arg` ('+' or '-') to the top value
        Binary,    // combines the two top values with the BinaryOpCode `arg`
        Compare,   // compares the two top values with the CompareOp `arg`
    };
    Code code;
    std::uint8_t arg;
    std::uint32_t col;
    union {
        double number;
        std::uint32_t row;
        const AstNode* node;
    };
};
static_assert(sizeof(ScalarOp) == 16);

// The code of many formulas, back to back, in the order they were added. Text and CellById
// instructions point into the trees: the trees must outlive the code.
class ScalarCode {
public:
    // Appends the code of the next formula: a tree made only of numbers, texts, booleans, cell
    // references, signs, the seven binary operators and comparisons. Any other tree (or null)
    // gets empty code, to be evaluated from its tree.
    void add(const AstNode* root);

    std::size_t formulas() const noexcept { return starts_.size() - 1; }
    // The code of the i-th formula added; empty when it has none.
    std::span<const ScalarOp> formula(std::size_t i) const noexcept {
        return {ops_.data() + starts_[i], ops_.data() + starts_[i + 1]};
    }

private:
    struct Frame {
        const AstNode* node;
        std::size_t next_child;
    };
    bool flatten(const AstNode* root);

    std::vector<ScalarOp> ops_;
    std::vector<std::size_t> starts_{0};
    std::vector<Frame> frames_;  // kept between formulas
};

}  // namespace orvel::core
