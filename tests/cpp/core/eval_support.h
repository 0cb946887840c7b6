// Helpers shared by the evaluator tests: a lookup over a few cells, a spill resolver, and a
// compact typed rendering of results ("1" a number, "'1'" a text, "_" Empty, arrays as
// {a,b;c,d}, an array without cells as {RxC}, a failure as "fail <display>").
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "core/eval.h"
#include "core/number_text.h"
#include "core/parser.h"

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

}  // namespace orvel::core::testing
