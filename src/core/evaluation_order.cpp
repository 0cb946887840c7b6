#include "core/evaluation_order.h"

#include <algorithm>

#include "core/dependencies.h"

namespace orvel::core {

namespace {

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
    std::vector<std::span<const ScalarOp>> code(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        wait_start[i] = static_cast<std::uint32_t>(waits.size());
        const std::uint32_t cell = cells[i];
        if (!state.has(cell, kFormula) || state.has(cell, kPinned)) continue;
        const FormulaCache& formula = state.formula(cell);
        if (formula.is_error()) continue;
        roots[i] = formula.root;
        code[i] = formula.code;
        if (roots[i]) {
            collector.collect(roots[i], i + 1, latest[i], waits);
        } else {
            collector.collect(code[i], i + 1, latest[i], waits);
        }
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
    out.code.resize(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        out.roots[i] = roots[order[i]];
        out.code[i] = code[order[i]];
        order[i] = cells[order[i]];
    }
    return out;
}

}  // namespace orvel::core
