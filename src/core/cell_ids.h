// Interned cell ids: every distinct id text of a sheet gets one small integer, the index of its
// record in the sheet's per-cell arrays. Ids are exact bytes ("a1" and "A1" are two cells).
// Canonical ids (upper-case letters and a row without leading zeros, as formulas write them) are
// indexed by (column, row) and keep no text: formulas reach them without building strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/flat_index.h"

namespace orvel::core {

struct CellPosition {
    std::uint32_t col;  // 1-based
    std::uint32_t row;
};

// (column, row) of an id that is exactly the letters of a column 1..UINT32_MAX followed by a
// decimal row 0..UINT32_MAX without leading zeros; none for any other text.
std::optional<CellPosition> canonical_position(std::string_view id) noexcept;

// The sheet's reading of an anchor id: ASCII letters (either case), then a non-zero unsigned
// 32-bit decimal row (leading zeros allowed). The column value follows letters_value.
std::optional<CellPosition> parse_cell_id(std::string_view id) noexcept;

// Column value of a letter part, byte by byte: ((byte - 65) mod 256) + 1, saturating at
// UINT32_MAX. Upper-case letters give their column number ("AA" 27).
std::uint32_t letters_value(std::string_view letters) noexcept;

// What an input's id contributes to the used extent: the letters before its first ASCII digit
// give a column, the digits a row when they parse.
struct IdExtent {
    bool has_digit = false;
    bool row_parses = false;
    std::uint32_t col = 0;
    std::uint32_t row = 0;
};
IdExtent id_extent(std::string_view id) noexcept;

class CellIds {
public:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    std::uint32_t find(std::string_view id) const;
    std::uint32_t find(std::uint32_t col, std::uint32_t row) const noexcept {
        return by_position_.find(key(col, row));
    }
    // Calls f(row, cell) for the canonical ids of column `col` from `first_row` to `last_row`,
    // in row order.
    template <class F>
    void for_each_in_column(std::uint32_t col, std::uint32_t first_row, std::uint32_t last_row,
                            F&& f) const {
        by_position_.for_each_in_run(key(col, first_row), key(col, last_row), f);
    }
    std::uint32_t intern(std::string_view id);
    std::uint32_t intern(std::uint32_t col, std::uint32_t row);
    // Frees the index for reuse; the caller guarantees nothing refers to it any more.
    void release(std::uint32_t cell);

    // One past the largest index in use: the size every per-cell array must have.
    std::size_t capacity() const noexcept { return slots_.size(); }
    std::size_t live() const noexcept { return slots_.size() - free_.size(); }

    bool is_canonical(std::uint32_t cell) const noexcept { return slots_[cell].canonical; }
    // The position of a canonical id.
    CellPosition position(std::uint32_t cell) const noexcept {
        return {slots_[cell].col, slots_[cell].row};
    }
    const IdExtent& extent(std::uint32_t cell) const noexcept { return slots_[cell].extent; }
    const std::optional<CellPosition>& anchor_position(std::uint32_t cell) const noexcept {
        return slots_[cell].anchor;
    }

    std::string text(std::uint32_t cell) const;
    void append_text(std::string& out, std::uint32_t cell) const;

private:
    struct Slot {
        const std::string* text = nullptr;  // a non-canonical id: its key in by_text_
        bool canonical = false;
        std::uint32_t col = 0;
        std::uint32_t row = 0;
        IdExtent extent;
        std::optional<CellPosition> anchor;
    };
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };

    static std::uint64_t key(std::uint32_t col, std::uint32_t row) noexcept {
        return (std::uint64_t{col} << 32) | row;
    }
    std::uint32_t new_slot();

    std::vector<Slot> slots_;
    std::vector<std::uint32_t> free_;
    FlatIndex by_position_;
    std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>> by_text_;
};

}  // namespace orvel::core
