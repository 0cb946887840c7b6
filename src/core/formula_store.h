// The parsed formulas of a sheet, packed one after another in one arena. A recalculation reads
// every formula tree in turn; packed in cell order they are read from memory in order instead
// of from one small block per formula scattered over the heap.
#pragma once

#include <cstddef>

#include "core/ast.h"

namespace orvel::core {

class FormulaStore {
public:
    struct Stored {
        const AstNode* root;
        std::size_t bytes;
    };

    // Copies a tree (as the parser builds it: no shared subtrees) into the store.
    Stored add(const AstNode* root);
    // Marks a stored tree as no longer used.
    void drop(const Stored& tree) noexcept { garbage_ += tree.bytes; }

    // Whether dropped trees take enough room that copying the live ones pays.
    bool wants_compaction() const noexcept;
    std::size_t garbage() const noexcept { return garbage_; }

private:
    AstArena arena_;
    std::size_t garbage_ = 0;
};

// A deep copy of a tree without shared subtrees, built without recursion.
const AstNode* copy_tree(const AstNode* root, AstArena& into);

}  // namespace orvel::core
