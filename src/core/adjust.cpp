#include "core/adjust.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "core/formula_rewriter.h"
#include "core/ref_text.h"
#include "core/values.h"

namespace orvel::core {

namespace {

// Largest 0-based row or column a rewritten reference may name.
constexpr std::uint64_t kLastIndex = std::uint64_t{UINT32_MAX} - 1;

struct Interval {
    std::uint32_t first;
    std::uint32_t last;
    friend bool operator==(const Interval&, const Interval&) = default;
};

Interval span_of(std::uint32_t a, std::uint32_t b) noexcept {
    return {std::min(a, b), std::max(a, b)};
}

// Sorted indices, answering membership and counts below an index by binary search.
class IndexList {
public:
    IndexList(const std::vector<std::uint32_t>& indices, bool keep_repeats) : sorted_(indices) {
        std::sort(sorted_.begin(), sorted_.end());
        if (!keep_repeats) {
            sorted_.erase(std::unique(sorted_.begin(), sorted_.end()), sorted_.end());
        }
    }

    bool contains(std::uint32_t x) const noexcept {
        return std::binary_search(sorted_.begin(), sorted_.end(), x);
    }
    std::uint64_t count_below(std::uint32_t x) const noexcept {
        return static_cast<std::uint64_t>(std::lower_bound(sorted_.begin(), sorted_.end(), x) -
                                          sorted_.begin());
    }
    std::uint64_t count_up_to(std::uint32_t x) const noexcept {
        return static_cast<std::uint64_t>(std::upper_bound(sorted_.begin(), sorted_.end(), x) -
                                          sorted_.begin());
    }

    // The first and last indices of the range that survive the deletion, each lowered by the
    // deleted indices below it; none when the whole range is deleted. Needs distinct indices.
    std::optional<Interval> trim(Interval range) const noexcept {
        std::uint64_t first = range.first;
        const std::size_t at_first = position_of(range.first);
        if (at_first < sorted_.size() && sorted_[at_first] == range.first) {
            first = std::uint64_t{sorted_[run_last(at_first)]} + 1;
        }
        if (first > range.last) return std::nullopt;
        std::uint64_t last = range.last;
        const std::size_t at_last = position_of(range.last);
        if (at_last < sorted_.size() && sorted_[at_last] == range.last) {
            // `first` survives and lies below, so the run starts above it and above 0.
            last = std::uint64_t{sorted_[run_first(at_last)]} - 1;
        }
        const auto f = static_cast<std::uint32_t>(first), l = static_cast<std::uint32_t>(last);
        return Interval{static_cast<std::uint32_t>(f - count_below(f)),
                        static_cast<std::uint32_t>(l - count_below(l))};
    }

private:
    std::size_t position_of(std::uint32_t x) const noexcept {
        return static_cast<std::size_t>(std::lower_bound(sorted_.begin(), sorted_.end(), x) -
                                        sorted_.begin());
    }

    // Along distinct sorted indices, sorted_[i] - i never decreases, and it holds still exactly
    // across a run of consecutive indices; so both ends of the run through `at` are found by
    // binary search rather than by walking the run.
    std::uint32_t gap(std::size_t i) const noexcept {
        return sorted_[i] - static_cast<std::uint32_t>(i);
    }
    std::size_t run_last(std::size_t at) const noexcept {
        const std::uint32_t key = gap(at);
        std::size_t lo = at + 1, hi = sorted_.size();  // the first position past the run
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (gap(mid) == key) {
                lo = mid + 1;
            } else {
                hi = mid;
            }
        }
        return lo - 1;
    }
    std::size_t run_first(std::size_t at) const noexcept {
        const std::uint32_t key = gap(at);
        std::size_t lo = 0, hi = at;  // the first position of the run
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (gap(mid) == key) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        return lo;
    }

    std::vector<std::uint32_t> sorted_;
};

void write_ref_error(std::string& out) { out += kRefError; }

// Sends each reference to its shape's rewrite in `Adjuster`: cell, range, or a span of whole
// columns or rows with the index list of its axis.
template <class Adjuster>
class ShapeDispatch {
public:
    ShapeDispatch(std::string_view body, const Deletion& d, bool keep_repeats)
        : body_(body), cols_(d.deleted_cols, keep_repeats), rows_(d.deleted_rows, keep_repeats) {}

    void operator()(const TokenRef& ref, FormulaRewriter& out) const {
        const auto& self = static_cast<const Adjuster&>(*this);
        switch (ref.kind) {
            case RefKind::Cell:
            case RefKind::Spill: self.cell(*ref.first, out); break;
            case RefKind::Range: self.range(*ref.first, *ref.last, out); break;
            case RefKind::WholeColumn:
                self.lines(ref, whole_column_index(body_, *ref.first),
                           whole_column_index(body_, *ref.last), cols_, append_column, out);
                break;
            case RefKind::WholeRow:
                self.lines(ref, whole_row_index(body_, *ref.first),
                           whole_row_index(body_, *ref.last), rows_, append_row, out);
                break;
            case RefKind::Name: break;
        }
    }

protected:
    std::string_view body_;
    IndexList cols_;
    IndexList rows_;
};

class DeletionAdjuster : public ShapeDispatch<DeletionAdjuster> {
public:
    DeletionAdjuster(std::string_view body, const Deletion& d) : ShapeDispatch(body, d, false) {}

private:
    friend class ShapeDispatch<DeletionAdjuster>;

    void cell(const RawToken& token, FormulaRewriter& out) const {
        auto at = cell_index(body_, token);
        if (!at) return;
        if (cols_.contains(at->col) || rows_.contains(at->row)) {
            write_ref_error(out.replace(token));
            return;
        }
        const CellIndex moved{static_cast<std::uint32_t>(at->col - cols_.count_below(at->col)),
                              static_cast<std::uint32_t>(at->row - rows_.count_below(at->row))};
        if (moved.col == at->col && moved.row == at->row) return;
        append_cell(out.replace(token), moved);
    }

    void range(const RawToken& first, const RawToken& last, FormulaRewriter& out) const {
        auto a = cell_index(body_, first), b = cell_index(body_, last);
        if (!a || !b) return;
        const Interval old_cols = span_of(a->col, b->col), old_rows = span_of(a->row, b->row);
        auto cols = cols_.trim(old_cols);
        auto rows = rows_.trim(old_rows);
        if (!cols || !rows) {
            write_ref_error(out.replace(first, last));
            return;
        }
        if (*cols == old_cols && *rows == old_rows) return;
        std::string& text = out.replace(first, last);
        append_cell(text, {cols->first, rows->first});
        text += ':';
        append_cell(text, {cols->last, rows->last});
    }

    static void lines(const TokenRef& ref, std::optional<std::uint32_t> a,
                      std::optional<std::uint32_t> b, const IndexList& deleted,
                      void (*write)(std::string&, std::uint32_t), FormulaRewriter& out) {
        if (!a || !b) return;
        const Interval old = span_of(*a, *b);
        auto kept = deleted.trim(old);
        if (!kept) {
            write_ref_error(out.replace(*ref.first, *ref.last));
            return;
        }
        if (*kept == old) return;
        std::string& text = out.replace(*ref.first, *ref.last);
        write(text, kept->first);
        text += ':';
        write(text, kept->last);
    }
};

class DeletionMarker {
public:
    DeletionMarker(std::string_view body, const Deletion& d)
        : body_(body), cols_(d.deleted_cols, false), rows_(d.deleted_rows, false) {}

    void operator()(const TokenRef& ref, FormulaRewriter& out) const {
        switch (ref.kind) {
            case RefKind::Cell:
            case RefKind::Spill:
                if (cell_deleted(*ref.first)) write_ref_error(out.replace(*ref.first));
                break;
            case RefKind::Range:
                ends(ref, cell_deleted(*ref.first), cell_deleted(*ref.last), out);
                break;
            case RefKind::WholeColumn:
                ends(ref, in(cols_, whole_column_index(body_, *ref.first)),
                     in(cols_, whole_column_index(body_, *ref.last)), out);
                break;
            case RefKind::WholeRow:
                ends(ref, in(rows_, whole_row_index(body_, *ref.first)),
                     in(rows_, whole_row_index(body_, *ref.last)), out);
                break;
            case RefKind::Name: break;
        }
    }

private:
    static bool in(const IndexList& deleted, std::optional<std::uint32_t> index) noexcept {
        return index && deleted.contains(*index);
    }

    bool cell_deleted(const RawToken& token) const {
        auto at = cell_index(body_, token);
        return at && (cols_.contains(at->col) || rows_.contains(at->row));
    }

    static void ends(const TokenRef& ref, bool first, bool last, FormulaRewriter& out) {
        if (first && last) {
            write_ref_error(out.replace(*ref.first, *ref.last));
        } else if (first) {
            write_ref_error(out.replace(*ref.first));
        } else if (last) {
            write_ref_error(out.replace(*ref.last));
        }
    }

    std::string_view body_;
    IndexList cols_;
    IndexList rows_;
};

class InsertionAdjuster : public ShapeDispatch<InsertionAdjuster> {
public:
    InsertionAdjuster(std::string_view body, const Deletion& inserted)
        : ShapeDispatch(body, inserted, true) {}

private:
    friend class ShapeDispatch<InsertionAdjuster>;

    // Every insertion at or before an index pushes it outward; 64 bits hold the overshoot.
    static std::uint64_t pushed(const IndexList& inserted, std::uint32_t index) noexcept {
        return index + inserted.count_up_to(index);
    }

    void cell(const RawToken& token, FormulaRewriter& out) const {
        auto at = cell_index(body_, token);
        if (!at) return;
        const std::uint64_t col = pushed(cols_, at->col), row = pushed(rows_, at->row);
        if (col == at->col && row == at->row) return;
        std::string& text = out.replace(token);
        if (col > kLastIndex || row > kLastIndex) return write_ref_error(text);
        append_cell(text, {static_cast<std::uint32_t>(col), static_cast<std::uint32_t>(row)},
                    cell_markers(body_, token));
    }

    void range(const RawToken& first, const RawToken& last, FormulaRewriter& out) const {
        auto a = cell_index(body_, first), b = cell_index(body_, last);
        if (!a || !b) return;
        const std::uint64_t a_col = pushed(cols_, a->col), a_row = pushed(rows_, a->row);
        const std::uint64_t b_col = pushed(cols_, b->col), b_row = pushed(rows_, b->row);
        if (a_col == a->col && a_row == a->row && b_col == b->col && b_row == b->row) return;
        std::string& text = out.replace(first, last);
        if (std::max({a_col, a_row, b_col, b_row}) > kLastIndex) return write_ref_error(text);
        append_cell(text, {static_cast<std::uint32_t>(a_col), static_cast<std::uint32_t>(a_row)},
                    cell_markers(body_, first));
        text += ':';
        append_cell(text, {static_cast<std::uint32_t>(b_col), static_cast<std::uint32_t>(b_row)},
                    cell_markers(body_, last));
    }

    void lines(const TokenRef& ref, std::optional<std::uint32_t> a, std::optional<std::uint32_t> b,
               const IndexList& inserted, void (*write)(std::string&, std::uint32_t),
               FormulaRewriter& out) const {
        if (!a || !b) return;
        const std::uint64_t first = pushed(inserted, *a), last = pushed(inserted, *b);
        if (first == *a && last == *b) return;
        std::string& text = out.replace(*ref.first, *ref.last);
        if (std::max(first, last) > kLastIndex) return write_ref_error(text);
        if (starts_with_dollar(body_, *ref.first)) text += '$';
        write(text, static_cast<std::uint32_t>(first));
        text += ':';
        if (starts_with_dollar(body_, *ref.last)) text += '$';
        write(text, static_cast<std::uint32_t>(last));
    }
};

// Formulas without a leading "=" and empty edits come back unchanged.
template <class Rewrite>
std::string rewrite_for(std::string_view formula, const Deletion& edit) {
    if (edit.deleted_cols.empty() && edit.deleted_rows.empty()) return std::string(formula);
    if (formula.empty() || formula[0] != '=') return std::string(formula);
    return rewrite_references(formula, Rewrite(formula.substr(1), edit));
}

}  // namespace

std::string adjust_refs_for_deletion(std::string_view formula, const Deletion& deletion) {
    return rewrite_for<DeletionAdjuster>(formula, deletion);
}

std::string rewrite_refs_for_deletion(std::string_view formula, const Deletion& deletion) {
    return rewrite_for<DeletionMarker>(formula, deletion);
}

std::string adjust_refs_for_insertion(std::string_view formula, const Deletion& inserted) {
    return rewrite_for<InsertionAdjuster>(formula, inserted);
}

}  // namespace orvel::core
