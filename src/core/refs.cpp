#include "core/refs.h"

#include <algorithm>
#include <cstdint>

#include "core/limits.h"

namespace orvel::core {

namespace {

void list_cell(std::string_view body, const RawToken& cell_ref, std::vector<a1::Position>& cells) {
    if (auto cell = cell_index(body, cell_ref)) cells.push_back({cell->row, cell->col});
}

// Lists a rectangle of at most kMaxCells cells while the formula's budget of listed cells lasts
// (a long formula of large ranges would otherwise ask for gigabytes).
void list_rectangle(std::string_view body, const RawToken& first, const RawToken& last,
                    std::vector<a1::Position>& cells, std::uint64_t& budget) {
    auto a = cell_index(body, first);
    auto b = cell_index(body, last);
    if (!a || !b) return;
    const auto [top, bottom] = std::minmax(a->row, b->row);
    const auto [left, right] = std::minmax(a->col, b->col);
    const std::uint64_t height = std::uint64_t{bottom} - top + 1;
    const std::uint64_t width = std::uint64_t{right} - left + 1;
    if (height > kMaxCells || width > kMaxCells || height * width > kMaxCells) return;
    if (height * width > budget) return;
    budget -= height * width;
    cells.reserve(static_cast<std::size_t>(height * width));
    for (std::uint64_t row = top; row <= bottom; ++row) {
        for (std::uint64_t col = left; col <= right; ++col) {
            cells.push_back({static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(col)});
        }
    }
}

}  // namespace

std::vector<FormulaRef> extract_refs(std::string_view formula) {
    if (formula.empty() || formula[0] != '=') return {};
    const std::string_view body = formula.substr(1);
    ReferenceScanner scanner(body);
    std::vector<FormulaRef> refs;
    std::uint64_t budget = kMaxListedCells;
    while (auto found = scanner.next()) {
        FormulaRef& ref = refs.emplace_back();
        ref.kind = found->kind;
        ref.start = formula_start(*found->first);
        ref.end = formula_end(*found->last);
        if (found->kind == RefKind::Name) {
            ref.text = text_of(body, *found->first);
        } else {
            ref.text = body.substr(found->first->byte_start,
                                   found->last->byte_end - found->first->byte_start);
        }
        switch (found->kind) {
            case RefKind::Cell:
            case RefKind::Spill:
                list_cell(body, *found->first, ref.cells);
                break;
            case RefKind::Range:
                list_rectangle(body, *found->first, *found->last, ref.cells, budget);
                break;
            default:
                break;
        }
    }
    if (scanner.failed()) return {};
    return refs;
}

}  // namespace orvel::core
