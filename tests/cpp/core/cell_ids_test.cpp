#include "core/cell_ids.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "core/flat_index.h"
#include "core/ordered_cells.h"

namespace orvel::core {
namespace {

struct IdCase {
    std::string id;
    std::string canonical;  // "col,row" or "none"
    std::string anchor;     // parse_cell_id: "col,row" or "none"
};

std::string shown(const std::optional<CellPosition>& pos) {
    return pos ? std::to_string(pos->col) + "," + std::to_string(pos->row) : "none";
}

class IdForms : public ::testing::TestWithParam<IdCase> {};

TEST_P(IdForms, CanonicalOnlyWhenFormulasWouldWriteIt) {
    EXPECT_EQ(shown(canonical_position(GetParam().id)), GetParam().canonical) << GetParam().id;
    EXPECT_EQ(shown(parse_cell_id(GetParam().id)), GetParam().anchor) << GetParam().id;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IdForms,
    ::testing::Values(
        IdCase{"A1", "1,1", "1,1"}, IdCase{"AA10", "27,10", "27,10"}, IdCase{"a1", "none", "33,1"},
        IdCase{"A01", "none", "1,1"}, IdCase{"A0", "1,0", "none"}, IdCase{"1", "none", "none"},
        IdCase{"A", "none", "none"}, IdCase{"$A1", "none", "none"}, IdCase{"A1B", "none", "none"},
        IdCase{"A4294967295", "1,4294967295", "1,4294967295"},
        IdCase{"A4294967296", "none", "none"}, IdCase{"MWLQKWU1", "4294967295,1", "4294967295,1"},
        IdCase{"MWLQKWV1", "none", "4294967295,1"}, IdCase{"ZZZZZZZZ1", "none", "4294967295,1"},
        IdCase{"", "none", "none"}));

TEST(IdExtents, LetterBytesCountWithoutCheck) {
    EXPECT_EQ(letters_value("A"), 1u);
    EXPECT_EQ(letters_value("a"), 33u);
    EXPECT_EQ(letters_value("$"), 228u);  // (36 - 65) mod 256 + 1
    IdExtent odd = id_extent("x7y");
    EXPECT_TRUE(odd.has_digit);
    EXPECT_EQ(odd.col, letters_value("x"));
    EXPECT_FALSE(odd.row_parses);
    EXPECT_FALSE(id_extent("total").has_digit);
    IdExtent empty_letters = id_extent("12");
    EXPECT_EQ(empty_letters.col, 0u);
    EXPECT_EQ(empty_letters.row, 12u);
}

TEST(CellIds, InternsEachExactTextOnce) {
    CellIds ids;
    std::uint32_t upper = ids.intern("A1");
    std::uint32_t lower = ids.intern("a1");
    EXPECT_NE(upper, lower);
    EXPECT_EQ(ids.intern("A1"), upper);
    EXPECT_EQ(ids.find(1, 1), upper);
    EXPECT_EQ(ids.find("a1"), lower);
    EXPECT_EQ(ids.text(upper), "A1");
    EXPECT_EQ(ids.text(lower), "a1");
    EXPECT_EQ(ids.find("B2"), CellIds::kNone);
    ids.release(lower);
    EXPECT_EQ(ids.find("a1"), CellIds::kNone);
    EXPECT_EQ(ids.intern("total"), lower);  // the freed index is reused
    EXPECT_EQ(ids.text(lower), "total");
}

TEST(FlatIndex, ErasingKeepsEveryProbeChainReachable) {
    FlatIndex index;
    for (std::uint32_t i = 0; i < 5000; ++i) index.insert(std::uint64_t{i} << 32 | (i * 7), i);
    for (std::uint32_t i = 0; i < 5000; i += 3) index.erase(std::uint64_t{i} << 32 | (i * 7));
    for (std::uint32_t i = 0; i < 5000; ++i) {
        std::uint32_t expected = i % 3 == 0 ? FlatIndex::kAbsent : i;
        ASSERT_EQ(index.find(std::uint64_t{i} << 32 | (i * 7)), expected) << i;
    }
}

// Runs of rows, scattered cells and the last rows and columns, inserted and erased at random
// (pages emptied and reused on the way), against a plain map.
TEST(FlatIndex, AgreesWithAMapThroughInsertsAndErases) {
    FlatIndex index;
    std::map<std::uint64_t, std::uint32_t> model;
    std::mt19937 random(7);
    auto pick_key = [&]() -> std::uint64_t {
        const auto kind = static_cast<std::uint32_t>(random() % 3);
        std::uint64_t col = random() % 4 + 1, row = random() % 300 + 1;
        if (kind == 1) col = UINT32_MAX - random() % 2, row = UINT32_MAX - random() % 70;
        if (kind == 2) col = random(), row = random();
        return col << 32 | row;
    };
    for (std::uint32_t step = 0; step < 60000; ++step) {
        const std::uint64_t key = pick_key();
        const bool present = model.count(key) > 0;
        if (present && random() % 2 == 0) {
            index.erase(key);
            model.erase(key);
        } else if (!present) {
            index.insert(key, step);
            model[key] = step;
        }
        const std::uint64_t probe = pick_key();
        auto it = model.find(probe);
        ASSERT_EQ(index.find(probe), it == model.end() ? FlatIndex::kAbsent : it->second) << step;
    }
    ASSERT_EQ(index.size(), model.size());
    for (const auto& [key, value] : model) ASSERT_EQ(index.find(key), value);
    for (const auto& [key, value] : model) index.erase(key);
    EXPECT_EQ(index.size(), 0u);
    EXPECT_EQ(index.find(model.begin()->first), FlatIndex::kAbsent);
}

TEST(OrderedCells, RemovalClosesTheGapWithoutReordering) {
    OrderedCells cells;
    for (std::uint32_t i = 0; i < 1000; ++i) cells.insert(999 - i);
    for (std::uint32_t i = 0; i < 1000; i += 2) cells.erase(i);
    cells.insert(4);  // new: goes to the end
    cells.insert(1);  // present: keeps its place
    std::vector<std::uint32_t> order;
    cells.for_each([&](std::uint32_t cell) { order.push_back(cell); });
    ASSERT_EQ(order.size(), 501u);
    EXPECT_EQ(order.front(), 999u);
    EXPECT_EQ(order[499], 1u);
    EXPECT_EQ(order.back(), 4u);
}

}  // namespace
}  // namespace orvel::core
