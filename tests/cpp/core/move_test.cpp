#include "core/move.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/block_move.h"

namespace orvel::core {
namespace {

enum class Service { Rows, RowsFollowing, Columns, ColumnsFollowing };

struct MoveCase {
    Service service;
    std::string formula;
    std::uint32_t src_start;
    std::uint32_t src_end;
    std::uint32_t final_start;
    std::string expected;
};

std::string run(const MoveCase& c) {
    switch (c.service) {
        case Service::Rows:
            return adjust_refs_for_row_block_move(c.formula, c.src_start, c.src_end, c.final_start);
        case Service::RowsFollowing:
            return adjust_refs_for_row_block_move_data_following(c.formula, c.src_start, c.src_end,
                                                                 c.final_start);
        case Service::Columns:
            return adjust_refs_for_column_block_move(c.formula, c.src_start, c.src_end,
                                                     c.final_start);
        case Service::ColumnsFollowing:
            return adjust_refs_for_column_block_move_data_following(c.formula, c.src_start,
                                                                    c.src_end, c.final_start);
    }
    return {};
}

class BlockMoveRewrite : public ::testing::TestWithParam<MoveCase> {};

TEST_P(BlockMoveRewrite, ReferencesFollowTheirData) {
    const MoveCase& c = GetParam();
    EXPECT_EQ(run(c), c.expected) << c.formula << " " << c.src_start << ".." << c.src_end << " to "
                                  << c.final_start;
}

using S = Service;

INSTANTIATE_TEST_SUITE_P(
    Rows, BlockMoveRewrite,
    ::testing::Values(MoveCase{S::Rows, "=A3+A4+A5+A8", 2, 3, 5, "=A6+A7+A3+A8"},
                      MoveCase{S::Rows, "=SUM(3:4)", 2, 3, 5, "=SUM(6:7)"},
                      MoveCase{S::Rows, "=SUM(1:4)", 2, 3, 5, "=SUM(1:7)"},
                      MoveCase{S::Rows, "=SUM($4:1)", 2, 3, 5, "=SUM($1:7)"},
                      MoveCase{S::Rows, "=SUM(A1:B4)", 2, 3, 5, "=SUM(A1:B4)"},
                      MoveCase{S::RowsFollowing, "=SUM(A1:B4)", 2, 3, 5, "=SUM(A1:B7)"},
                      MoveCase{S::RowsFollowing, "=SUM($B$4:a1)", 2, 3, 5, "=SUM($B$1:A7)"},
                      MoveCase{S::Rows, "=A2", 5, 6, 1, "=A4"},
                      MoveCase{S::Rows, "=A6", 5, 6, 1, "=A2"},
                      MoveCase{S::Rows, "=A8", 5, 6, 1, "=A8"},
                      MoveCase{S::Rows, "=$A$3", 2, 2, 0, "=$A$1"},
                      MoveCase{S::Rows, "=a$3", 2, 2, 0, "=A$1"},
                      MoveCase{S::Rows, "=SUM(A:C)", 0, 1, 5, "=SUM(A:C)"},
                      MoveCase{S::Rows, "=B2#", 1, 1, 4, "=B5#"},
                      MoveCase{S::Rows, "=A0+ZZZZZZZZ2+A0:B2", 1, 1, 4, "=A0+ZZZZZZZZ2+A0:B2"},
                      MoveCase{S::RowsFollowing, "=A0:B2", 1, 1, 4, "=A0:B2"},
                      MoveCase{S::Rows, "=SUM(0:2)", 1, 1, 4, "=SUM(0:2)"}));

INSTANTIATE_TEST_SUITE_P(
    Columns, BlockMoveRewrite,
    ::testing::Values(MoveCase{S::Columns, "=B1+C1+D1+E1", 1, 1, 3, "=D1+B1+C1+E1"},
                      MoveCase{S::Columns, "=SUM(B:C)", 1, 1, 3, "=SUM(B:D)"},
                      MoveCase{S::Columns, "=SUM($C:b)", 1, 1, 3, "=SUM($B:D)"},
                      MoveCase{S::Columns, "=SUM(1:3)", 0, 0, 2, "=SUM(1:3)"},
                      MoveCase{S::Columns, "=SUM(B1:C2)", 1, 1, 3, "=SUM(B1:C2)"},
                      MoveCase{S::ColumnsFollowing, "=SUM(C2:B$1)", 1, 1, 3, "=SUM(B2:D$1)"},
                      MoveCase{S::Columns, "=$B$1", 1, 1, 3, "=$D$1"},
                      MoveCase{S::Columns, "=SUM(ABCDEFGH:ZZZZZZZZ)+SUM(B:ZZZZZZZZ)", 1, 1, 3,
                               "=SUM(ABCDEFGH:ZZZZZZZZ)+SUM(B:ZZZZZZZZ)"}));

INSTANTIATE_TEST_SUITE_P(Unchanged, BlockMoveRewrite,
                         ::testing::Values(MoveCase{S::Rows, "=A3", 3, 2, 5, "=A3"},
                                           MoveCase{S::Rows, "=A3", 2, 3, 2, "=A3"},
                                           MoveCase{S::Rows, "A3", 2, 3, 5, "A3"},
                                           MoveCase{S::Rows, "", 2, 3, 5, ""},
                                           MoveCase{S::Rows, "=A3 ~", 2, 3, 5, "=A3 ~"},
                                           MoveCase{S::Rows, "=RATE+F(X)", 2, 3, 5, "=RATE+F(X)"}));

// Whole rows and columns over the full grid take constant time; a block that would land past
// the last index leaves the formula as it is.
INSTANTIATE_TEST_SUITE_P(
    GridEdges, BlockMoveRewrite,
    ::testing::Values(MoveCase{S::Rows, "=SUM(1:4294967295)", 0, 9, 100, "=SUM(1:4294967295)"},
                      MoveCase{S::Rows, "=SUM(2:4294967295)", 0, 0, 100, "=SUM(1:4294967295)"},
                      MoveCase{S::Rows, "=SUM(5:4294967295)", 4294967290u, 4294967294u, 0,
                               "=SUM(1:4294967295)"},
                      MoveCase{S::Rows, "=A1", 0, 0, 4294967294u, "=A4294967295"},
                      MoveCase{S::Rows, "=A1", 0, 1, 4294967294u, "=A1"},
                      MoveCase{S::Rows, "=A1", 0, 4294967295u, 1, "=A1"},
                      MoveCase{S::Columns, "=SUM(A:MWLQKWT)", 0, 0, 5, "=SUM(A:MWLQKWT)"},
                      MoveCase{S::Columns, "=SUM(B:MWLQKWT)", 0, 0, 5, "=SUM(A:MWLQKWT)"}));

// The piecewise box must agree with evaluating the map at every index of the span.
TEST(BlockMoveMap, InteriorBoxMatchesAnIndexByIndexScan) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::uint32_t> small(0, 40);
    for (int trial = 0; trial < 20000; ++trial) {
        const std::uint32_t s = small(rng), e = small(rng), f = small(rng);
        auto move = BlockMove::make(s, e, f);
        if (e < s || f == s) {
            EXPECT_FALSE(move);
            continue;
        }
        ASSERT_TRUE(move);
        std::uint32_t lo = small(rng) + 5, hi = small(rng) + 5;
        if (lo > hi) std::swap(lo, hi);
        std::uint32_t low = UINT32_MAX, high = 0;
        for (std::uint32_t i = lo; i <= hi; ++i) {
            low = std::min(low, move->map(i));
            high = std::max(high, move->map(i));
        }
        EXPECT_EQ(move->interior_box({lo, hi}), (IndexSpan{low, high}))
            << s << ".." << e << " to " << f << " over " << lo << ".." << hi;
    }
}

TEST(BlockMoveMap, IsAPermutation) {
    for (std::uint32_t s = 0; s < 8; ++s) {
        for (std::uint32_t e = s; e < 8; ++e) {
            for (std::uint32_t f = 0; f < 8; ++f) {
                auto move = BlockMove::make(s, e, f);
                if (!move) continue;
                std::vector<std::uint32_t> images;
                for (std::uint32_t i = 0; i < 20; ++i) images.push_back(move->map(i));
                std::sort(images.begin(), images.end());
                for (std::uint32_t i = 0; i < 20; ++i) EXPECT_EQ(images[i], i);
            }
        }
    }
}

}  // namespace
}  // namespace orvel::core
