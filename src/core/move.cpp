#include "core/move.h"

#include <algorithm>
#include <optional>

#include "core/block_move.h"
#include "core/formula_rewriter.h"
#include "core/ref_text.h"

namespace orvel::core {

namespace {

enum class Axis : std::uint8_t { Rows, Columns };

class BlockMover {
public:
    BlockMover(std::string_view body, const BlockMove& move, Axis axis, bool data_following)
        : body_(body), move_(move), axis_(axis), data_following_(data_following) {}

    void operator()(const TokenRef& ref, FormulaRewriter& out) const {
        switch (ref.kind) {
            case RefKind::Cell:
            case RefKind::Spill:
                cell(*ref.first, out);
                break;
            case RefKind::Range:
                if (data_following_) range(*ref.first, *ref.last, out);
                break;
            case RefKind::WholeRow:
                if (axis_ == Axis::Rows) {
                    lines(ref, whole_row_index(body_, *ref.first),
                          whole_row_index(body_, *ref.last), append_row, out);
                }
                break;
            case RefKind::WholeColumn:
                if (axis_ == Axis::Columns) {
                    lines(ref, whole_column_index(body_, *ref.first),
                          whole_column_index(body_, *ref.last), append_column, out);
                }
                break;
            case RefKind::Name:
                break;
        }
    }

private:
    std::uint32_t& along(CellIndex& cell) const noexcept {
        return axis_ == Axis::Rows ? cell.row : cell.col;
    }

    void cell(const RawToken& token, FormulaRewriter& out) const {
        auto at = cell_index(body_, token);
        if (!at) return;
        CellIndex moved = *at;
        along(moved) = move_.map(along(moved));
        if (along(moved) == along(*at)) return;
        append_cell(out.replace(token), moved, cell_markers(body_, token));
    }

    // Each end keeps its other coordinate and its markers; along the axis the ends come out
    // smallest first.
    void range(const RawToken& first, const RawToken& last, FormulaRewriter& out) const {
        auto a = cell_index(body_, first), b = cell_index(body_, last);
        if (!a || !b) return;
        const IndexSpan old{std::min(along(*a), along(*b)), std::max(along(*a), along(*b))};
        const IndexSpan box = move_.interior_box(old);
        if (box == old) return;
        along(*a) = box.first;
        along(*b) = box.last;
        std::string& text = out.replace(first, last);
        append_cell(text, *a, cell_markers(body_, first));
        text += ':';
        append_cell(text, *b, cell_markers(body_, last));
    }

    void lines(const TokenRef& ref, std::optional<std::uint32_t> a, std::optional<std::uint32_t> b,
               void (*write)(std::string&, std::uint32_t), FormulaRewriter& out) const {
        if (!a || !b) return;
        const IndexSpan old{std::min(*a, *b), std::max(*a, *b)};
        const IndexSpan box = move_.interior_box(old);
        if (box == old) return;
        std::string& text = out.replace(*ref.first, *ref.last);
        if (starts_with_dollar(body_, *ref.first)) text += '$';
        write(text, box.first);
        text += ':';
        if (starts_with_dollar(body_, *ref.last)) text += '$';
        write(text, box.last);
    }

    std::string_view body_;
    BlockMove move_;
    Axis axis_;
    bool data_following_;
};

std::string block_move(std::string_view formula, std::uint32_t src_start, std::uint32_t src_end,
                       std::uint32_t final_start, bool data_following, Axis axis) {
    auto move = BlockMove::make(src_start, src_end, final_start);
    if (!move || formula.empty() || formula[0] != '=') return std::string(formula);
    return rewrite_references(formula, BlockMover(formula.substr(1), *move, axis, data_following));
}

}  // namespace

std::string row_block_move_impl(std::string_view formula, std::uint32_t src_start,
                                std::uint32_t src_end, std::uint32_t final_start,
                                bool data_following) {
    return block_move(formula, src_start, src_end, final_start, data_following, Axis::Rows);
}

std::string column_block_move_impl(std::string_view formula, std::uint32_t src_start,
                                   std::uint32_t src_end, std::uint32_t final_start,
                                   bool data_following) {
    return block_move(formula, src_start, src_end, final_start, data_following, Axis::Columns);
}

}  // namespace orvel::core
