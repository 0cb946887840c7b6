// Helpers shared by the evaluator tests: a lookup over a few cells, a spill resolver, a compact
// typed rendering of results ("1" a number, "'1'" a text, "_" Empty, arrays as {a,b;c,d}, an
// array without cells as {RxC}, a failure as "fail <display>"), and a check of one row both as a
// tree and in a sheet cell, where formulas of single values run as flattened code.
#pragma once

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/eval.h"
#include "core/number_text.h"
#include "core/parser.h"
#include "core/sheet.h"

namespace orvel::core::testing {

// A formula and its typed rendering (see typed() below); a failing row names its formula.
struct FormulaCase {
    std::string formula;
    std::string expected;
};

inline void PrintTo(const FormulaCase& c, std::ostream* os) { *os << c.formula; }

class MapLookup : public CellLookup {
public:
    MapLookup& set(std::string_view id, CellValue value) {
        auto ref = Parser::parse_cell_ref(id);
        cells_[{col_letters_to_index(ref->first), ref->second}] = value;
        by_id_[std::string(id)] = std::move(value);
        return *this;
    }
    CellValue cell(std::uint32_t col, std::uint32_t row) const override {
        ++reads;
        auto it = cells_.find({col, row});
        return it == cells_.end() ? CellValue() : it->second;
    }
    CellValue cell_by_id(std::string_view id) const override {
        ++reads;
        ids_read.emplace_back(id);
        auto it = by_id_.find(std::string(id));
        return it == by_id_.end() ? CellValue() : it->second;
    }
    // Every cell set, by its id.
    const std::map<std::string, CellValue>& cells_by_id() const noexcept { return by_id_; }

    mutable std::size_t reads = 0;
    mutable std::vector<std::string> ids_read;

private:
    std::map<std::pair<std::uint32_t, std::uint32_t>, CellValue> cells_;
    std::map<std::string, CellValue> by_id_;
};

class MapResolver : public SpillResolver {
public:
    MapResolver& set(std::uint32_t col, std::uint32_t row, ArrayValue array) {
        arrays_[{col, row}] = std::move(array);
        return *this;
    }
    const ArrayValue* spilled(std::uint32_t col, std::uint32_t row) const override {
        auto it = arrays_.find({col, row});
        return it == arrays_.end() ? nullptr : &it->second;
    }
    const ArrayValue* spilled_by_id(std::string_view) const override { return nullptr; }

private:
    std::map<std::pair<std::uint32_t, std::uint32_t>, ArrayValue> arrays_;
};

inline std::string typed(const CellValue& v) {
    switch (v.kind()) {
        case ValueKind::Text: return "'" + std::string(v.text_view()) + "'";
        case ValueKind::Empty: return "_";
        case ValueKind::Custom:
            return "<" + std::string(v.custom_tag()) + ":" + std::string(v.custom_data()) + ">";
        default: return v.display();
    }
}

inline std::string typed(const ArrayValue& a) {
    if (a.is_scalar()) return typed(a.data()[0]);
    if (a.empty()) return "{" + std::to_string(a.rows()) + "x" + std::to_string(a.cols()) + "}";
    std::string out = "{";
    for (std::uint32_t i = 0; i < a.rows(); ++i) {
        if (i > 0) out += ';';
        for (std::uint32_t j = 0; j < a.cols(); ++j) {
            if (j > 0) out += ',';
            out += typed(a.at(i, j));
        }
    }
    return out + "}";
}

inline std::string typed(const Expected<ArrayValue, FormulaError>& r) {
    return r ? typed(*r) : "fail " + r.error().display();
}

// Parses and evaluates a formula; a parse failure shows as "parse <message>".
inline std::string eval_formula(std::string_view formula, const CellLookup& lookup,
                                const Registry& registry, const SpillResolver* resolver = nullptr,
                                std::uint32_t max_row = 1000, std::uint32_t max_col = 26) {
    auto ast = Parser::parse(formula);
    if (!ast) return "parse " + ast.error();
    Evaluator evaluator(lookup, max_row, max_col, registry);
    evaluator.with_spill_resolver(resolver);
    return typed(evaluator.eval_node(ast->root()));
}

inline std::string eval_formula(std::string_view formula) {
    static const Registry registry;
    return eval_formula(formula, empty_lookup(), registry);
}

// The same formula in a sheet cell, the sheet holding `cells` as typed inputs and a copy of
// `registry`: the rendering of the cell's value, or of the whole array when the result spilled.
// Formulas of single values run there as flattened code, the others as a tree. The cell sits far
// right of the cells the tables use, and nothing refers to it.
inline constexpr std::string_view kSheetFormulaCell = "ZZ1";

inline std::string eval_in_sheet(std::string_view formula, const MapLookup& cells,
                                 const Registry& registry) {
    Sheet sheet(std::make_shared<Registry>(registry));
    std::vector<CellInputChange> inputs;
    for (const auto& [id, value] : cells.cells_by_id()) {
        inputs.push_back({id, CellInput::typed(value)});
    }
    inputs.push_back({kSheetFormulaCell, CellInput::raw(std::string(formula))});
    if (auto error = sheet.set_cells_typed(inputs)) return "sheet " + error->display();
    if (const ArrayValue* spilled = sheet.spill_array(kSheetFormulaCell)) return typed(*spilled);
    return typed(sheet.get(kSheetFormulaCell));
}

// What a sheet cell shows for a one-shot rendering: a failure is stored as its error value.
inline std::string as_sheet_value(std::string_view one_shot) {
    constexpr std::string_view kFail = "fail ";
    if (one_shot.substr(0, kFail.size()) == kFail) one_shot.remove_prefix(kFail.size());
    return std::string(one_shot);
}

// Checks a row on both paths: evaluation of the tree over `cells` (everything else Empty) with
// `registry`, as one-shot evaluation does it, and a sheet holding `cells` and the formula.
inline void expect_on_both_paths(const FormulaCase& row, const MapLookup& cells,
                                 const Registry& registry) {
    EXPECT_EQ(eval_formula(row.formula, cells, registry), row.expected)
        << "one-shot: " << row.formula;
    EXPECT_EQ(eval_in_sheet(row.formula, cells, registry), as_sheet_value(row.expected))
        << "sheet cell: " << row.formula;
}

inline void expect_on_both_paths(const FormulaCase& row, const MapLookup& cells = MapLookup()) {
    static const Registry registry;
    expect_on_both_paths(row, cells, registry);
}

}  // namespace orvel::core::testing
