// The index map of one block move: where each row (or column) lands when the block
// src_start..src_end is taken out and put back with its first index at final_start.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace orvel::core {

struct IndexSpan {
    std::uint32_t first;
    std::uint32_t last;
    friend bool operator==(const IndexSpan&, const IndexSpan&) = default;
};

class BlockMove {
public:
    // None when the move changes nothing or cannot be made: src_end before src_start,
    // final_start equal to src_start, or a block that would land past index UINT32_MAX - 1.
    static std::optional<BlockMove> make(std::uint32_t src_start, std::uint32_t src_end,
                                         std::uint32_t final_start) noexcept;

    // The new place of one index.
    std::uint32_t map(std::uint32_t index) const noexcept;

    // The smallest and largest new place over every index of the span: where a span that follows
    // its data ends up. The map is a shift on each of at most four pieces, so the pieces'
    // end points decide, however long the span.
    IndexSpan interior_box(IndexSpan span) const noexcept;

private:
    // Indices first..last move by `offset`; a piece with last < first is empty.
    struct Piece {
        std::int64_t first;
        std::int64_t last;
        std::int64_t offset;
    };
    explicit BlockMove(const std::array<Piece, 4>& pieces) noexcept : pieces_(pieces) {}

    std::array<Piece, 4> pieces_;
};

}  // namespace orvel::core
