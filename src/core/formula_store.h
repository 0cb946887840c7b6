// The parsed formulas of a sheet, packed one after another in one arena. A recalculation reads
// every formula in turn; packed in cell order they are read from memory in order instead of from
// one small block per formula scattered over the heap. Formulas of single values are kept as
// their flattened code only, a fraction of the size of their trees.
#pragma once

#include <cstddef>
#include <span>

#include "core/ast.h"
#include "core/scalar_code.h"

namespace orvel::core {

class FormulaStore {
public:
    // A kept formula: its code, or else its tree.
    struct Stored {
        const AstNode* root = nullptr;
        std::span<const ScalarOp> code;
        std::size_t bytes = 0;

        bool empty() const noexcept { return !root && code.empty(); }
    };

    // Keeps a tree as the parser builds it (no shared subtrees).
    Stored add(const AstNode* root);
    // Keeps a copy of a formula kept by another store.
    Stored add(const Stored& formula);
    // Marks a kept formula as no longer used.
    void drop(const Stored& formula) noexcept { garbage_ += formula.bytes; }

    // Whether dropped formulas take enough room that copying the live ones pays.
    bool wants_compaction() const noexcept;
    std::size_t garbage() const noexcept { return garbage_; }

private:
    AstArena arena_;
    ScalarFlattener flattener_;
    std::size_t garbage_ = 0;
};

// A deep copy of a tree without shared subtrees, built without recursion.
const AstNode* copy_tree(const AstNode* root, AstArena& into);

}  // namespace orvel::core
