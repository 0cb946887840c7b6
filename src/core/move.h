// Rewriting a formula when a block of whole rows or columns is dragged elsewhere. A move
// permutes rows (columns), so references follow their data and nothing becomes "#REF!".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvel::core {

// The block src_start..src_end (0-based, inclusive) lands with its first row or column at
// final_start of the layout after the move. With `data_following` a bounded range (A1:D5)
// follows its data like a whole-row or whole-column range; without it, it stays as written.
// Unchanged when the formula is empty, lacks the "=", does not lex or has nothing to move, and
// when the move is void: src_end before src_start, final_start equal to src_start, or a block
// that would land past the last row or column. "$" never stops a move and stays in its place.
std::string row_block_move_impl(std::string_view formula, std::uint32_t src_start,
                                std::uint32_t src_end, std::uint32_t final_start,
                                bool data_following);
std::string column_block_move_impl(std::string_view formula, std::uint32_t src_start,
                                   std::uint32_t src_end, std::uint32_t final_start,
                                   bool data_following);

inline std::string adjust_refs_for_row_block_move(std::string_view formula, std::uint32_t src_start,
                                                  std::uint32_t src_end,
                                                  std::uint32_t final_start) {
    return row_block_move_impl(formula, src_start, src_end, final_start, false);
}
inline std::string adjust_refs_for_row_block_move_data_following(std::string_view formula,
                                                                 std::uint32_t src_start,
                                                                 std::uint32_t src_end,
                                                                 std::uint32_t final_start) {
    return row_block_move_impl(formula, src_start, src_end, final_start, true);
}
inline std::string adjust_refs_for_column_block_move(std::string_view formula,
                                                     std::uint32_t src_start, std::uint32_t src_end,
                                                     std::uint32_t final_start) {
    return column_block_move_impl(formula, src_start, src_end, final_start, false);
}
inline std::string adjust_refs_for_column_block_move_data_following(std::string_view formula,
                                                                    std::uint32_t src_start,
                                                                    std::uint32_t src_end,
                                                                    std::uint32_t final_start) {
    return column_block_move_impl(formula, src_start, src_end, final_start, true);
}

}  // namespace orvel::core
