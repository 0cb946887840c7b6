#include "core/recalc.h"

#include <algorithm>

#include "core/eval.h"
#include "core/evaluation_order.h"

namespace orvel::core {

namespace {

// A recalculation repeats its pass while spills appear or vanish, at most this often.
constexpr int kMaxPasses = 4;

class SheetLookup final : public CellLookup {
public:
    explicit SheetLookup(const SheetState& state) : state_(state) {}
    CellValue cell(std::uint32_t col, std::uint32_t row) const override {
        std::uint32_t cell = state_.ids.find(col, row);
        return cell == kNoCell ? CellValue() : state_.values[cell];
    }
    CellValue cell_by_id(std::string_view id) const override {
        std::uint32_t cell = state_.ids.find(id);
        return cell == kNoCell ? CellValue() : state_.values[cell];
    }
    // Column by column through the position index's pages; cells without a record stay Empty.
    void read_block(std::uint32_t first_col, std::uint32_t first_row, std::uint32_t cols,
                    std::uint32_t rows, CellValue* out) const override {
        const std::uint32_t last_row = first_row + (rows - 1);
        for (std::uint32_t c = 0; c < cols; ++c) {
            state_.ids.for_each_in_column(
                first_col + c, first_row, last_row, [&](std::uint32_t row, std::uint32_t cell) {
                    out[std::size_t{row - first_row} * cols + c] = state_.values[cell];
                });
        }
    }

private:
    const SheetState& state_;
};

class SheetSpills final : public SpillResolver {
public:
    explicit SheetSpills(const SheetState& state) : state_(state) {}
    const ArrayValue* spilled(std::uint32_t col, std::uint32_t row) const override {
        return array_of(state_.ids.find(col, row));
    }
    const ArrayValue* spilled_by_id(std::string_view id) const override {
        return array_of(state_.ids.find(id));
    }

private:
    const ArrayValue* array_of(std::uint32_t cell) const {
        return cell == kNoCell ? nullptr : state_.extras[cell].spill_array.get();
    }
    const SheetState& state_;
};

struct Region {
    std::uint32_t anchor;
    std::uint32_t rows;
    std::uint32_t cols;
    friend bool operator==(const Region&, const Region&) = default;
};

std::vector<Region> spill_regions(const SheetState& state) {
    std::vector<Region> out;
    out.reserve(state.anchors.size());
    for (std::uint32_t anchor : state.anchors) {
        const ArrayValue& array = *state.extras[anchor].spill_array;
        out.push_back({anchor, array.rows(), array.cols()});
    }
    std::sort(out.begin(), out.end(),
              [](const Region& a, const Region& b) { return a.anchor < b.anchor; });
    return out;
}

// Removes the values of cells filled only by the last pass's spills, drops its spill records
// and keeps its owners as the previous owners of this pass.
void clear_spills(SheetState& state) {
    for (std::uint32_t cell : state.owned) {
        if (!state.has(cell, kHasInput)) state.remove_value(cell);
    }
    for (std::uint32_t anchor : state.anchors) state.extras[anchor].spill_array.reset();
    state.anchors.clear();
    for (std::uint32_t cell : state.previously_owned) state.previous_owner[cell] = kNoCell;
    std::swap(state.owner, state.previous_owner);
    std::swap(state.owned, state.previously_owned);
    state.owned.clear();
}

bool owners_unchanged(const SheetState& state) {
    if (state.owned.size() != state.previously_owned.size()) return false;
    for (std::uint32_t cell : state.owned) {
        if (state.owner[cell] != state.previous_owner[cell]) return false;
    }
    return true;
}

const EvaluationOrder& order_for_pass(SheetState& state, bool first_pass) {
    const bool reusable = state.order_valid && state.order_version == state.structure_version &&
                          state.order_owners_current &&
                          (first_pass || !state.order.without_redirects);
    if (reusable) return state.order;
    state.order = build_evaluation_order(state, true);
    if (!state.order.left_out.empty() && first_pass && state.order.used_redirects) {
        // The previous recalculation's spills may close a loop that today's contents do not
        // have (a formula now read by the cells its old spill covered): order without them and
        // report only a cycle that remains. A later pass still sees a loop through a new spill.
        state.order = build_evaluation_order(state, false);
        state.order.without_redirects = true;
    }
    state.order_valid = state.order.left_out.empty();
    state.order_version = state.structure_version;
    return state.order;
}

std::vector<std::string> sorted_ids(const SheetState& state,
                                    const std::vector<std::uint32_t>& cells) {
    std::vector<std::string> ids;
    ids.reserve(cells.size());
    for (std::uint32_t cell : cells) ids.push_back(state.ids.text(cell));
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::optional<std::vector<std::string>> run_pass(SheetState& state, bool first_pass) {
    clear_spills(state);
    const EvaluationOrder& order = order_for_pass(state, first_pass);
    if (!order.left_out.empty()) return sorted_ids(state, order.left_out);

    // Every literal and typed value first, so no formula reads a stale one.
    for (std::uint32_t cell : order.order) {
        if (state.has(cell, kPinned)) continue;
        if (state.has(cell, kTyped)) {
            state.set_value(cell, state.extras[cell].typed);
        } else if (!state.has(cell, kFormula)) {
            state.write_literal(cell);
        }
    }

    SheetLookup lookup(state);
    SheetSpills spills(state);
    Evaluator evaluator(lookup, order.max_row, order.max_col, *state.registry);
    evaluator.with_spill_resolver(&spills);
    EvalScratch scratch;
    for (std::size_t i = 0; i < order.order.size(); ++i) {
        const std::uint32_t cell = order.order[i];
        if (state.has(cell, kPinned)) {
            ArrayValue pinned = *state.extras[cell].pin;
            place_result(state, cell, std::move(pinned));
        } else if (state.has(cell, kFormula)) {
            if (!order.code[i].empty()) {
                // A single value: what place_result does with a 1 x 1 result.
                auto value = evaluator.eval_code(order.code[i], scratch);
                state.set_value(cell, value ? std::move(*value)
                                            : CellValue::error(std::move(value).error()));
                continue;
            }
            const AstNode* root = order.roots[i];
            if (!root) {
                state.set_value(cell, state.formula(cell).error);
                continue;
            }
            auto result = evaluator.eval_node(root, scratch);
            if (result) {
                place_result(state, cell, std::move(*result));
            } else {
                state.set_value(cell, CellValue::error(std::move(result).error()));
            }
        }
    }
    state.order_owners_current = owners_unchanged(state);
    return std::nullopt;
}

bool spill_is_blocked(const SheetState& state, std::uint32_t anchor, CellPosition at,
                      const ArrayValue& array) {
    // Members past the last row or column do not exist: such a spill cannot be placed.
    if (std::uint64_t{at.row} + array.rows() - 1 > UINT32_MAX ||
        std::uint64_t{at.col} + array.cols() - 1 > UINT32_MAX) {
        return true;
    }
    for (std::uint32_t r = 0; r < array.rows(); ++r) {
        for (std::uint32_t c = 0; c < array.cols(); ++c) {
            if (r == 0 && c == 0) continue;
            std::uint32_t member = state.ids.find(at.col + c, at.row + r);
            if (member == kNoCell) continue;
            if (state.has(member, kBlocksSpill)) return true;
            std::uint32_t owner = state.owner[member];
            if (owner != kNoCell && owner != anchor) return true;
        }
    }
    return false;
}

}  // namespace

std::optional<std::vector<std::string>> recalculate(SheetState& state) {
    std::vector<Region> snapshot = spill_regions(state);
    for (int pass = 1; pass <= kMaxPasses; ++pass) {
        if (auto cycle = run_pass(state, pass == 1)) return cycle;
        std::vector<Region> regions = spill_regions(state);
        // A pass ordered without last time's spills must not be the last: if the spills came
        // back as they were, the loop through them is real, and only a pass that reads through
        // them can report it.
        if (regions == snapshot && !state.order.without_redirects) break;
        snapshot = std::move(regions);
    }
    return std::nullopt;
}

void place_result(SheetState& state, std::uint32_t anchor, ArrayValue array) {
    if (array.is_scalar()) {
        state.set_value(anchor, std::move(*array.data()));
        return;
    }
    // Only an anchor written as formulas write ids spills: any other id ("a1", "A01") would
    // name a different cell once rebuilt from its position.
    if (!state.ids.is_canonical(anchor) || !state.ids.anchor_position(anchor)) {
        state.set_value(anchor, array.first());
        return;
    }
    const CellPosition at = state.ids.position(anchor);
    if (array.empty()) {
        state.remove_value(anchor);
    } else if (spill_is_blocked(state, anchor, at, array)) {
        state.set_value(anchor, CellValue::error(ErrorKind::Spill));
        return;
    } else {
        for (std::uint32_t r = 0; r < array.rows(); ++r) {
            for (std::uint32_t c = 0; c < array.cols(); ++c) {
                std::uint32_t member = state.intern(at.col + c, at.row + r);
                state.set_value(member, array.at(r, c));
                if (state.owner[member] == kNoCell) state.owned.push_back(member);
                state.owner[member] = anchor;
            }
        }
    }
    state.extras[anchor].spill_array = std::make_unique<ArrayValue>(std::move(array));
    state.anchors.push_back(anchor);
}

}  // namespace orvel::core
