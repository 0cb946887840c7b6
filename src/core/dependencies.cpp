#include "core/dependencies.h"

#include <algorithm>
#include <string>

#include "core/limits.h"
#include "core/values.h"

namespace orvel::core {

namespace {

// Ranges up to this many cells are read position by position; larger ones through the sorted
// index of the cells that can be waited for.
constexpr std::uint64_t kDirectLookupArea = 64;

std::uint64_t position_key(std::uint32_t col, std::uint32_t row) noexcept {
    return (std::uint64_t{col} << 32) | row;
}

const std::string& last_column_letters() {
    static const std::string letters = index_to_col(UINT32_MAX);
    return letters;
}

}  // namespace

DependencyCollector::DependencyCollector(const SheetState& state,
                                         const std::vector<std::uint32_t>& position,
                                         std::uint32_t max_row, std::uint32_t max_col,
                                         bool redirect)
    : state_(state),
      position_(position),
      max_row_(max_row),
      max_col_(max_col),
      redirect_(redirect),
      seen_(state.ids.capacity(), 0) {}

void DependencyCollector::collect(const AstNode* root, std::uint32_t stamp, std::uint32_t& latest,
                                  std::vector<std::uint32_t>& formulas) {
    latest_ = &latest;
    formulas_ = &formulas;
    stamp_ = stamp;
    stack_.assign(1, root);
    // A shared subtree reads the same cells at every use: its first visit lists them all.
    if (!shared_seen_.empty()) shared_seen_.clear();
    while (!stack_.empty()) {
        const AstNode* node = stack_.back();
        stack_.pop_back();
        if (node->shared && !shared_seen_.insert(node).second) continue;
        visit(node);
        for (std::size_t i = node->child_count; i > 0; --i) {
            stack_.push_back(node->child_list[i - 1]);
        }
    }
}

void DependencyCollector::collect(std::span<const ScalarOp> code, std::uint32_t stamp,
                                  std::uint32_t& latest, std::vector<std::uint32_t>& formulas) {
    latest_ = &latest;
    formulas_ = &formulas;
    stamp_ = stamp;
    for (const ScalarOp& op : code) {
        if (op.code == ScalarOp::Code::Cell) {
            reach(state_.ids.find(op.col, op.row));
        } else if (op.code == ScalarOp::Code::CellById) {
            reach(state_.ids.find(op.text()));
        }
    }
}

void DependencyCollector::visit(const AstNode* node) {
    switch (node->kind) {
        case NodeKind::CellRef:
        case NodeKind::SpillRef:
            cell(node);
            break;
        case NodeKind::Range:
            rect(node->col, node->row, node->col2, node->row2);
            break;
        case NodeKind::ColumnRange:
            rect(node->col, 1, node->col2, max_row_);
            break;
        case NodeKind::RowRange:
            rect(1, node->row, max_col_, node->row2);
            break;
        default:
            break;
    }
}

void DependencyCollector::cell(const AstNode* node) {
    // Letters past the last column saturate; such an id is found by its text.
    if (node->col == UINT32_MAX && node->text != last_column_letters()) {
        reach(state_.ids.find(cell_id(node->text, node->row)));
    } else {
        reach(state_.ids.find(node->col, node->row));
    }
}

void DependencyCollector::rect(std::uint32_t col1, std::uint32_t row1, std::uint32_t col2,
                               std::uint32_t row2) {
    const std::uint32_t c1 = std::min(col1, col2), c2 = std::max(col1, col2);
    const std::uint32_t r1 = std::min(row1, row2), r2 = std::max(row1, row2);
    const std::uint64_t area = (std::uint64_t{c2} - c1 + 1) * (std::uint64_t{r2} - r1 + 1);
    if (area > kMaxCells) return;
    if (area <= kDirectLookupArea) {
        for (std::uint64_t r = r1; r <= r2; ++r) {
            for (std::uint64_t c = c1; c <= c2; ++c) {
                reach(
                    state_.ids.find(static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(r)));
            }
        }
        return;
    }
    if (!index_built_) build_index();
    // Walk the index column by column, jumping over rows outside the range.
    auto it = std::lower_bound(index_.begin(), index_.end(), Entry{position_key(c1, r1), 0});
    while (it != index_.end()) {
        const auto col = static_cast<std::uint32_t>(it->key >> 32);
        const auto row = static_cast<std::uint32_t>(it->key);
        if (col > c2) break;
        if (row < r1) {
            it = std::lower_bound(it, index_.end(), Entry{position_key(col, r1), 0});
        } else if (row > r2) {
            if (col == UINT32_MAX) break;
            it = std::lower_bound(it, index_.end(), Entry{position_key(col + 1, r1), 0});
        } else {
            reach(it->cell);
            ++it;
        }
    }
}

void DependencyCollector::reach(std::uint32_t target) {
    if (target == kNoCell) return;
    if (redirect_) {
        std::uint32_t anchor = state_.previous_owner[target];
        if (anchor != kNoCell && anchor != target) {
            target = anchor;
            used_redirects_ = true;
        }
    }
    const std::uint8_t flags = state_.flags[target];
    if (!(flags & (kHasInput | kPinned))) return;
    const std::uint32_t position = position_[target];
    if (!(flags & kFormula) || (flags & kPinned)) {
        if (*latest_ == kNoCell || position > *latest_) *latest_ = position;
        return;
    }
    if (seen_[target] == stamp_) return;
    seen_[target] = stamp_;
    formulas_->push_back(position);
}

// Every canonical cell a range may reach: those with an input or a pin, and those that a spill
// of the previous pass filled.
void DependencyCollector::build_index() {
    index_built_ = true;
    auto add = [&](std::uint32_t cell) {
        if (!state_.ids.is_canonical(cell)) return;
        CellPosition pos = state_.ids.position(cell);
        index_.push_back({position_key(pos.col, pos.row), cell});
    };
    state_.inputs_order.for_each(add);
    state_.pins_order.for_each([&](std::uint32_t cell) {
        if (!(state_.flags[cell] & kHasInput)) add(cell);
    });
    if (redirect_) {
        for (std::uint32_t cell : state_.previously_owned) {
            if (!(state_.flags[cell] & (kHasInput | kPinned))) add(cell);
        }
    }
    // Inputs are often entered in (column, row) order already.
    if (!std::is_sorted(index_.begin(), index_.end())) std::sort(index_.begin(), index_.end());
}

}  // namespace orvel::core
