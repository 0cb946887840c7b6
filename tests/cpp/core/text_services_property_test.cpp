// Properties of the formula text services over thousands of random formulas.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/adjust.h"
#include "core/move.h"
#include "core/refs.h"
#include "core/shift.h"
#include "core/tokens.h"
#include "core/values.h"

namespace orvel::core {
namespace {

constexpr int kFormulas = 4000;

class FormulaMaker {
public:
    explicit FormulaMaker(std::uint32_t seed) : rng_(seed) {}

    // Upper-case references, ranges written top-left to bottom-right, "$" markers only when
    // asked for: the form the rewritings write back, so a rewrite and its inverse restore the
    // text exactly.
    std::string canonical(bool markers = false) {
        markers_ = markers;
        std::string out = "=";
        for (int n = pick(1, 8); n > 0; --n) {
            if (out.size() > 1) out += pick_of({"+", "-", "*", "&", ",", " + ", "<>"});
            out += canonical_piece();
        }
        return out;
    }

    // Anything the pieces, "$", lower case and stray bytes can make.
    std::string junk() {
        static const std::vector<std::string> pieces = {
            "=",         "+",           "-",          "*",       "(",          ")",   "{",
            "}",         ",",           ";",          ":",       "#",          "$",   "A1",
            "$B$2",      "b$3",         "$c4",        "1",       ".5",         "1.",  "\"",
            "'",         "\"x\"",       "SUM(",       "zz",      "TRUE",       "1:3", "$1:$3",
            "A:C",       "$a:c",        " ",          "\u00E9",  "\U0001F600", "\t",  "A0",
            "ZZZZZZZZ1", "99999999999", "4294967295", "MWLQKWU", "_x",         "~",   "LOG10",
            "#REF!",     "A1:B2",       "  :  "};
        std::string out = pick(0, 9) == 0 ? "" : "=";
        for (int n = pick(0, 20); n > 0; --n) {
            if (pick(0, 15) == 0) {
                out += static_cast<char>(pick(0, 255));
            } else {
                out += pieces[static_cast<std::size_t>(pick(0, int(pieces.size()) - 1))];
            }
        }
        return out;
    }

    std::vector<std::uint32_t> indices(int max_count, std::uint32_t below) {
        std::vector<std::uint32_t> out;
        for (int n = pick(0, max_count); n > 0; --n) {
            out.push_back(static_cast<std::uint32_t>(pick(0, int(below) - 1)));
        }
        return out;
    }

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

private:
    std::string pick_of(std::initializer_list<const char*> options) {
        return *(options.begin() + pick(0, int(options.size()) - 1));
    }

    std::string marker() { return markers_ && pick(0, 1) ? "$" : ""; }
    std::string column(int lo, int hi) {
        return marker() + index_to_col(static_cast<std::uint32_t>(pick(lo, hi)));
    }
    std::string row(int lo, int hi) { return marker() + std::to_string(pick(lo, hi)); }

    std::string canonical_piece() {
        switch (pick(0, 11)) {
            case 0:
            case 1:
                return column(1, 60) + row(1, 300);
            case 2: {
                const int c = pick(1, 60), r = pick(1, 300);
                return column(c, c) + row(r, r) + ":" + column(c, c + 5) + row(r, r + 40);
            }
            case 3: {
                const int r = pick(1, 300);
                return row(r, r) + ":" + row(r, r + 20);
            }
            case 4: {
                const int c = pick(1, 60);
                return column(c, c) + ":" + column(c, c + 5);
            }
            case 5:
                return column(1, 60) + row(1, 300) + "#";
            case 6:
                return pick_of({"RATE", "MY_X", "TAX_2"});
            case 7:
                return pick_of({"SUM(", "IF(", "MAX("}) + column(1, 9) + row(1, 9) + ")";
            case 8:
                return pick_of({"\"A1\"", "'x y'", "\"\u00E9\"", "'\U0001F600'"});
            case 9:
                return pick_of({"3", "1.5", "TRUE", "{1;2}"});
            case 10:
                return pick_of({" ", "  "}) + column(1, 60) + row(1, 300);
            default:
                return "(" + column(1, 60) + row(1, 300) + ")";
        }
    }

    std::mt19937 rng_;
    bool markers_ = false;
};

// Byte offset of every character of well-formed UTF-8, and the end.
std::vector<std::size_t> char_offsets(const std::string& s) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < s.size();) {
        out.push_back(i);
        const auto lead = static_cast<unsigned char>(s[i]);
        i += lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    }
    out.push_back(s.size());
    return out;
}

void expect_tiling(const std::string& formula) {
    const auto spans = formula_tokens(formula);
    if (formula.empty() || formula[0] != '=') {
        EXPECT_TRUE(spans.empty()) << formula;
        return;
    }
    std::uint32_t at = 1;
    for (const TokenSpan& span : spans) {
        ASSERT_EQ(span.start, at) << formula;
        ASSERT_LT(span.start, span.end) << formula;
        at = span.end;
    }
    EXPECT_EQ(at, std::max<std::size_t>(1, count_chars(formula))) << formula;
}

TEST(TextServiceProperties, TokenSpansTileTheFormulaAfterTheEqualsSign) {
    FormulaMaker maker(1);
    for (int i = 0; i < kFormulas; ++i) {
        expect_tiling(maker.canonical());
        expect_tiling(maker.junk());
    }
}

TEST(TextServiceProperties, ReferenceTextIsTheFormulaSliceAtItsPositions) {
    FormulaMaker maker(2);
    int references = 0;
    for (int i = 0; i < kFormulas; ++i) {
        const std::string formula = maker.canonical(true);
        const auto offsets = char_offsets(formula);
        for (const FormulaRef& ref : extract_refs(formula)) {
            if (ref.kind == RefKind::Name) continue;
            ASSERT_LT(ref.start, ref.end);
            ASSERT_LT(ref.end, offsets.size());
            EXPECT_EQ(ref.text,
                      formula.substr(offsets[ref.start], offsets[ref.end] - offsets[ref.start]))
                << formula;
            ++references;
        }
    }
    EXPECT_GT(references, kFormulas);
}

// Where the inserted indices sit after the insertion: the k-th smallest moves by k.
std::vector<std::uint32_t> inserted_positions(std::vector<std::uint32_t> inserted) {
    std::sort(inserted.begin(), inserted.end());
    for (std::size_t k = 0; k < inserted.size(); ++k) inserted[k] += std::uint32_t(k);
    return inserted;
}

TEST(TextServiceProperties, DeletingWhatWasInsertedRestoresTheFormula) {
    FormulaMaker maker(3);
    int rewritten = 0;
    for (int i = 0; i < kFormulas; ++i) {
        const std::string formula = maker.canonical();
        Deletion inserted{maker.indices(3, 70), maker.indices(3, 320)};
        const std::string grown = adjust_refs_for_insertion(formula, inserted);
        if (grown.find("#REF!") != std::string::npos) continue;
        rewritten += grown != formula;
        Deletion deleted{inserted_positions(inserted.deleted_cols),
                         inserted_positions(inserted.deleted_rows)};
        EXPECT_EQ(adjust_refs_for_deletion(grown, deleted), formula) << grown;
    }
    EXPECT_GT(rewritten, kFormulas / 2);
}

TEST(TextServiceProperties, ShiftingThereAndBackRestoresTheFormula) {
    FormulaMaker maker(4);
    int rewritten = 0;
    for (int i = 0; i < kFormulas; ++i) {
        const std::string formula = maker.canonical(true);
        const int d_row = maker.pick(-50, 50), d_col = maker.pick(-20, 20);
        const std::string there = shift_formula_refs(formula, d_row, d_col, 100000, 10000);
        if (there.find("#REF!") != std::string::npos) continue;
        rewritten += there != formula;
        EXPECT_EQ(shift_formula_refs(there, -d_row, -d_col, 100000, 10000), formula) << there;
    }
    EXPECT_GT(rewritten, kFormulas / 2);
}

TEST(TextServiceProperties, MovingABlockBackRestoresCellReferences) {
    FormulaMaker maker(5);
    for (int i = 0; i < kFormulas; ++i) {
        // Single cells only: the map is a permutation, so moving the block back inverts it.
        std::string formula = "=";
        for (int n = maker.pick(1, 6); n > 0; --n) {
            formula += index_to_col(std::uint32_t(maker.pick(1, 30))) +
                       std::to_string(maker.pick(1, 30)) + "+";
        }
        formula += "1";
        const auto s = std::uint32_t(maker.pick(0, 29)), e = s + std::uint32_t(maker.pick(0, 5));
        const auto f = std::uint32_t(maker.pick(0, 29));
        const std::uint32_t back_from = f, back_to = f + (e - s);
        const std::string moved = adjust_refs_for_row_block_move(formula, s, e, f);
        EXPECT_EQ(adjust_refs_for_row_block_move(moved, back_from, back_to, s), formula);
        const std::string across = adjust_refs_for_column_block_move(formula, s, e, f);
        EXPECT_EQ(adjust_refs_for_column_block_move(across, back_from, back_to, s), formula);
    }
}

TEST(TextServiceProperties, NoServiceFailsOnAnyText) {
    FormulaMaker maker(6);
    for (int i = 0; i < kFormulas * 2; ++i) {
        const std::string text = i % 2 ? maker.junk() : maker.canonical();
        const Deletion lists{maker.indices(4, 40), maker.indices(4, 40)};
        const auto s = std::uint32_t(maker.pick(0, 20)), e = std::uint32_t(maker.pick(0, 20));
        const auto f = std::uint32_t(maker.pick(0, 20));
        expect_tiling(text);
        for (const FormulaRef& ref : extract_refs(text)) EXPECT_LE(ref.start, ref.end);
        EXPECT_FALSE(adjust_refs_for_deletion(text, lists).empty() && !text.empty());
        EXPECT_FALSE(rewrite_refs_for_deletion(text, lists).empty() && !text.empty());
        EXPECT_FALSE(adjust_refs_for_insertion(text, lists).empty() && !text.empty());
        EXPECT_FALSE(
            shift_formula_refs(text, maker.pick(-3, 3), maker.pick(-3, 3), 50, 50).empty() &&
            !text.empty());
        for (bool following : {false, true}) {
            EXPECT_FALSE(row_block_move_impl(text, s, e, f, following).empty() && !text.empty());
            EXPECT_FALSE(column_block_move_impl(text, s, e, f, following).empty() && !text.empty());
        }
    }
}

}  // namespace
}  // namespace orvel::core
