#include "core/block_move.h"

#include <algorithm>

namespace orvel::core {

std::optional<BlockMove> BlockMove::make(std::uint32_t src_start, std::uint32_t src_end,
                                         std::uint32_t final_start) noexcept {
    if (src_end < src_start || final_start == src_start) return std::nullopt;
    const std::int64_t s = src_start, e = src_end, f = final_start;
    const std::int64_t n = e - s + 1;
    // The block's last index lands at f + n - 1; one past it must still be a 32-bit index.
    constexpr std::int64_t kEnd = UINT32_MAX;
    if (f + n > kEnd) return std::nullopt;
    if (f < s) {
        // Moving up: the indices the block jumps over shift down by its length.
        return BlockMove({{{0, f - 1, 0}, {f, s - 1, n}, {s, e, f - s}, {e + 1, kEnd, 0}}});
    }
    // Moving down: the indices it jumps over shift up by its length.
    return BlockMove({{{0, s - 1, 0}, {s, e, f - s}, {e + 1, f + n - 1, -n}, {f + n, kEnd, 0}}});
}

std::uint32_t BlockMove::map(std::uint32_t index) const noexcept {
    for (const Piece& piece : pieces_) {
        if (index >= piece.first && index <= piece.last) {
            return static_cast<std::uint32_t>(index + piece.offset);
        }
    }
    return index;
}

IndexSpan BlockMove::interior_box(IndexSpan span) const noexcept {
    std::int64_t low = INT64_MAX, high = INT64_MIN;
    for (const Piece& piece : pieces_) {
        const std::int64_t first = std::max<std::int64_t>(piece.first, span.first);
        const std::int64_t last = std::min<std::int64_t>(piece.last, span.last);
        if (first > last) continue;
        low = std::min(low, first + piece.offset);
        high = std::max(high, last + piece.offset);
    }
    return {static_cast<std::uint32_t>(low), static_cast<std::uint32_t>(high)};
}

}  // namespace orvel::core
