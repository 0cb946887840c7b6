#include "core/evaluation_order.h"

#include <algorithm>

#include "core/limits.h"

namespace orvel::core {

namespace {

// Ranges up to this many cells are read position by position; larger ones through the sorted
// index of the cells that can be waited for.
constexpr std::uint64_t kDirectLookupArea = 64;

std::uint64_t position_key(std::uint32_t col, std::uint32_t row) noexcept {
    return (std::uint64_t{col} << 32) | row;
}

// Collects what a formula waits for: each referenced cell, or with redirection the anchor of
// the spill that filled it, when that cell has an input or a pin. Cells that never wait
// themselves (no formula to evaluate) are ready from the start, in cell-list order, so only
// the latest of them matters: it is kept as one position. Formula cells are listed, each once.
class DependencyCollector {
public:
    DependencyCollector(const SheetState& state, const std::vector<std::uint32_t>& position,
                        std::uint32_t max_row, std::uint32_t max_col, bool redirect)
        : state_(state),
          position_(position),
          max_row_(max_row),
          max_col_(max_col),
          redirect_(redirect),
          seen_(state.ids.capacity(), 0) {}

    // `latest`: the largest cell-list position of a cell without formula that the formula
    // reads, or kNoCell; `formulas`: the cell-list positions of the formulas it reads.
    void collect(const AstNode* root, std::uint32_t stamp, std::uint32_t& latest,
                 std::vector<std::uint32_t>& formulas) {
        latest_ = &latest;
        formulas_ = &formulas;
        stamp_ = stamp;
        stack_.assign(1, root);
        while (!stack_.empty()) {
            const AstNode* node = stack_.back();
            stack_.pop_back();
            visit(node);
            for (std::size_t i = node->child_count; i > 0; --i) {
                stack_.push_back(node->child_list[i - 1]);
            }
        }
    }

    bool used_redirects() const noexcept { return used_redirects_; }

private:
    void visit(const AstNode* node) {
        switch (node->kind) {
            case NodeKind::CellRef:
            case NodeKind::SpillRef: cell(node); break;
            case NodeKind::Range:
                rect(node->col, node->row, node->col2, node->row2);
                break;
            case NodeKind::ColumnRange: rect(node->col, 1, node->col2, max_row_); break;
            case NodeKind::RowRange: rect(1, node->row, max_col_, node->row2); break;
            default: break;
        }
    }

    void cell(const AstNode* node) {
        // Letters past the last column saturate; such an id is found by its text.
        if (node->col == UINT32_MAX && node->text != last_column_letters()) {
            reach(state_.ids.find(cell_id(node->text, node->row)));
        } else {
            reach(state_.ids.find(node->col, node->row));
        }
    }

    void rect(std::uint32_t col1, std::uint32_t row1, std::uint32_t col2, std::uint32_t row2) {
        const std::uint32_t c1 = std::min(col1, col2), c2 = std::max(col1, col2);
        const std::uint32_t r1 = std::min(row1, row2), r2 = std::max(row1, row2);
        const std::uint64_t area = (std::uint64_t{c2} - c1 + 1) * (std::uint64_t{r2} - r1 + 1);
        if (area > kMaxCells) return;
        if (area <= kDirectLookupArea) {
            for (std::uint64_t r = r1; r <= r2; ++r) {
                for (std::uint64_t c = c1; c <= c2; ++c) {
                    reach(state_.ids.find(static_cast<std::uint32_t>(c),
                                          static_cast<std::uint32_t>(r)));
                }
            }
            return;
        }
        if (!index_built_) build_index();
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

    void reach(std::uint32_t target) {
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

    // Every canonical cell a range may reach: those with an input or a pin, and those that a
    // spill of the previous pass filled.
    void build_index() {
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

    static const std::string& last_column_letters() {
        static const std::string letters = index_to_col(UINT32_MAX);
        return letters;
    }

    struct Entry {
        std::uint64_t key;
        std::uint32_t cell;
        bool operator<(const Entry& o) const noexcept { return key < o.key; }
    };

    const SheetState& state_;
    const std::vector<std::uint32_t>& position_;
    const std::uint32_t max_row_;
    const std::uint32_t max_col_;
    const bool redirect_;
    bool used_redirects_ = false;
    std::vector<std::uint32_t> seen_;
    std::vector<const AstNode*> stack_;
    std::vector<Entry> index_;
    bool index_built_ = false;
    std::uint32_t* latest_ = nullptr;
    std::vector<std::uint32_t>* formulas_ = nullptr;
    std::uint32_t stamp_ = 0;
};

void compute_extent(const SheetState& state, EvaluationOrder& out) {
    std::uint32_t max_row = 1, max_col = 1;
    state.inputs_order.for_each([&](std::uint32_t cell) {
        const IdExtent& extent = state.ids.extent(cell);
        if (!extent.has_digit) return;
        max_col = std::max(max_col, extent.col);
        if (extent.row_parses) max_row = std::max(max_row, extent.row);
    });
    state.pins_order.for_each([&](std::uint32_t cell) {
        const auto& anchor = state.ids.anchor_position(cell);
        if (!anchor) return;
        const ArrayValue& pin = *state.extras[cell].pin;
        // Computed in 64 bits: a pin near the last row or column reaches past it.
        const std::uint64_t rows = std::max<std::uint32_t>(pin.rows(), 1);
        const std::uint64_t cols = std::max<std::uint32_t>(pin.cols(), 1);
        const std::uint64_t last_row = std::min<std::uint64_t>(anchor->row + rows - 1, UINT32_MAX);
        const std::uint64_t last_col = std::min<std::uint64_t>(anchor->col + cols - 1, UINT32_MAX);
        max_row = std::max(max_row, static_cast<std::uint32_t>(last_row));
        max_col = std::max(max_col, static_cast<std::uint32_t>(last_col));
    });
    out.max_row = max_row;
    out.max_col = max_col;
}

}  // namespace

EvaluationOrder build_evaluation_order(SheetState& state, bool redirect) {
    state.compact_formulas();
    EvaluationOrder out;
    compute_extent(state, out);

    std::vector<std::uint32_t> cells;
    cells.reserve(state.inputs_order.size() + state.pins_order.size());
    state.inputs_order.for_each([&](std::uint32_t cell) { cells.push_back(cell); });
    state.pins_order.for_each([&](std::uint32_t cell) {
        if (!state.has(cell, kHasInput)) cells.push_back(cell);
    });
    const auto n = static_cast<std::uint32_t>(cells.size());
    std::vector<std::uint32_t> position(state.ids.capacity(), kNoCell);
    for (std::uint32_t i = 0; i < n; ++i) position[cells[i]] = i;

    // What each formula waits for: the latest ready-from-the-start cell, and formulas (CSR).
    DependencyCollector collector(state, position, out.max_row, out.max_col, redirect);
    std::vector<std::uint32_t> latest(n, kNoCell);
    std::vector<std::uint32_t> wait_start(std::size_t{n} + 1, 0);
    std::vector<std::uint32_t> waits;
    std::vector<bool> waits_for_nothing(n, true);
    std::vector<const AstNode*> roots(n, nullptr);
    for (std::uint32_t i = 0; i < n; ++i) {
        wait_start[i] = static_cast<std::uint32_t>(waits.size());
        const std::uint32_t cell = cells[i];
        if (!state.has(cell, kFormula) || state.has(cell, kPinned)) continue;
        roots[i] = state.formula(cell).root;
        if (!roots[i]) continue;
        collector.collect(roots[i], i + 1, latest[i], waits);
        waits_for_nothing[i] = latest[i] == kNoCell && waits.size() == wait_start[i];
    }
    wait_start[n] = static_cast<std::uint32_t>(waits.size());
    out.used_redirects = collector.used_redirects();

    // A formula that waits for nothing is ready from the start as well: fold it into `latest`.
    // In-degree: one for all ready-from-the-start cells together, one per other formula.
    std::vector<std::uint32_t> in_degree(n, 0);
    std::vector<std::uint32_t> kept_start(std::size_t{n} + 1, 0);
    std::vector<std::uint32_t> kept;
    std::vector<std::uint32_t> release_start(std::size_t{n} + 1, 0);
    for (std::uint32_t i = 0; i < n; ++i) {
        kept_start[i] = static_cast<std::uint32_t>(kept.size());
        for (std::uint32_t k = wait_start[i]; k < wait_start[i + 1]; ++k) {
            const std::uint32_t target = waits[k];
            if (waits_for_nothing[target]) {
                if (latest[i] == kNoCell || target > latest[i]) latest[i] = target;
            } else {
                kept.push_back(target);
                ++release_start[target + 1];
            }
        }
        in_degree[i] = static_cast<std::uint32_t>(kept.size() - kept_start[i]) +
                       (latest[i] != kNoCell ? 1 : 0);
    }
    kept_start[n] = static_cast<std::uint32_t>(kept.size());
    std::vector<std::uint32_t>().swap(waits);

    // Who waits for each formula (CSR), and who is released by each ready-from-the-start cell
    // (grouped by `latest`), both in cell-list order.
    for (std::uint32_t i = 0; i < n; ++i) release_start[i + 1] += release_start[i];
    std::vector<std::uint32_t> releases(release_start[n]);
    std::vector<std::uint32_t> ready_start(std::size_t{n} + 1, 0);
    for (std::uint32_t i = 0; i < n; ++i) {
        if (latest[i] != kNoCell) ++ready_start[latest[i] + 1];
    }
    for (std::uint32_t i = 0; i < n; ++i) ready_start[i + 1] += ready_start[i];
    std::vector<std::uint32_t> readied(ready_start[n]);
    {
        std::vector<std::uint32_t> fill(release_start.begin(), release_start.end() - 1);
        std::vector<std::uint32_t> ready_fill(ready_start.begin(), ready_start.end() - 1);
        for (std::uint32_t i = 0; i < n; ++i) {
            for (std::uint32_t k = kept_start[i]; k < kept_start[i + 1]; ++k) {
                releases[fill[kept[k]]++] = i;
            }
            if (latest[i] != kNoCell) readied[ready_fill[latest[i]]++] = i;
        }
    }

    // First in, first out; the queue's entries are the evaluation order itself.
    std::vector<std::uint32_t>& order = out.order;
    order.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        if (in_degree[i] == 0) order.push_back(i);
    }
    auto release = [&](const std::vector<std::uint32_t>& list, std::uint32_t from,
                       std::uint32_t to) {
        for (std::uint32_t k = from; k < to; ++k) {
            if (--in_degree[list[k]] == 0) order.push_back(list[k]);
        }
    };
    for (std::size_t head = 0; head < order.size(); ++head) {
        const std::uint32_t ready = order[head];
        release(readied, ready_start[ready], ready_start[ready + 1]);
        release(releases, release_start[ready], release_start[ready + 1]);
    }
    if (order.size() < n) {
        for (std::uint32_t i = 0; i < n; ++i) {
            if (in_degree[i] > 0) out.left_out.push_back(cells[i]);
        }
    }
    out.roots.resize(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        out.roots[i] = roots[order[i]];
        order[i] = cells[order[i]];
    }
    return out;
}

}  // namespace orvel::core
