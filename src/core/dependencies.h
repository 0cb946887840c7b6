// The cells a formula waits for, found by walking its tree or its code: each referenced cell, or
// with redirection the anchor of the spill of the previous pass that filled it, when that cell
// has an input or a pin. Ranges are expanded only to such cells.
#pragma once

#include <cstdint>
#include <span>
#include <unordered_set>
#include <vector>

#include "core/ast.h"
#include "core/scalar_code.h"
#include "core/sheet_state.h"

namespace orvel::core {

class DependencyCollector {
public:
    // `position`: each cell's place in the cell list (kNoCell for cells not in it).
    DependencyCollector(const SheetState& state, const std::vector<std::uint32_t>& position,
                        std::uint32_t max_row, std::uint32_t max_col, bool redirect);

    // Cells without a formula to evaluate are ready from the start, in cell-list order, so of
    // those only the latest matters: `latest` becomes the largest such position read (it stays
    // kNoCell when none). The positions of the formula cells read are appended to `formulas`,
    // each once; `stamp` must differ from one formula to the next.
    void collect(const AstNode* root, std::uint32_t stamp, std::uint32_t& latest,
                 std::vector<std::uint32_t>& formulas);
    // The same for a formula kept as flattened code.
    void collect(std::span<const ScalarOp> code, std::uint32_t stamp, std::uint32_t& latest,
                 std::vector<std::uint32_t>& formulas);

    // Whether some reference was turned to a spill's anchor.
    bool used_redirects() const noexcept { return used_redirects_; }

private:
    struct Entry {
        std::uint64_t key;  // column, row
        std::uint32_t cell;
        bool operator<(const Entry& o) const noexcept { return key < o.key; }
    };

    void visit(const AstNode* node);
    void cell(const AstNode* node);
    void rect(std::uint32_t col1, std::uint32_t row1, std::uint32_t col2, std::uint32_t row2);
    void reach(std::uint32_t target);
    void build_index();

    const SheetState& state_;
    const std::vector<std::uint32_t>& position_;
    const std::uint32_t max_row_;
    const std::uint32_t max_col_;
    const bool redirect_;
    bool used_redirects_ = false;
    std::vector<std::uint32_t> seen_;  // per cell: the stamp of the formula that listed it
    std::vector<const AstNode*> stack_;
    std::unordered_set<const AstNode*> shared_seen_;  // shared subtrees met in this formula
    std::vector<Entry> index_;  // sorted; built on the first large range
    bool index_built_ = false;
    std::uint32_t* latest_ = nullptr;
    std::vector<std::uint32_t>* formulas_ = nullptr;
    std::uint32_t stamp_ = 0;
};

}  // namespace orvel::core
