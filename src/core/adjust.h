// Rewriting a formula after whole rows or columns were deleted or inserted, on its text alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::core {

// 0-based indices (column A and row 1 are 0), in any order. Deletions read each list as a set;
// insertions count every entry, so a repeated index inserts twice.
struct Deletion {
    std::vector<std::uint32_t> deleted_cols;
    std::vector<std::uint32_t> deleted_rows;
};

// References move up and left, ranges shrink, a reference with nothing left becomes "#REF!".
// Rewritten references lose their "$" and ranges come out top-left to bottom-right.
std::string adjust_refs_for_deletion(std::string_view formula, const Deletion& deletion);

// Nothing moves: only ends that point into deleted rows or columns become "#REF!".
std::string rewrite_refs_for_deletion(std::string_view formula, const Deletion& deletion);

// References move down and right, ranges that straddle an insertion grow, "$" stays. A
// reference pushed past the last row or column becomes "#REF!".
std::string adjust_refs_for_insertion(std::string_view formula, const Deletion& inserted);

// Every one of them hands the formula back unchanged when it is empty, lacks the "=", does not
// lex, or has no reference to rewrite. None fails.

}  // namespace orvel::core
