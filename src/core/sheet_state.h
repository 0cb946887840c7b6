// The contents of a sheet, laid out for recalculation: every cell id is interned once and all
// per-cell data lives in arrays indexed by the interned cell. The cell-keyed maps of the sheet
// (inputs, values, pins) keep their key order in OrderedCells; spill owners and spill records
// are per-cell fields whose order nothing observes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ast.h"
#include "core/cell_ids.h"
#include "core/formula_store.h"
#include "core/names.h"
#include "core/ordered_cells.h"
#include "core/registry.h"
#include "core/scalar_code.h"
#include "core/values.h"

namespace orvel::core {

inline constexpr std::uint32_t kNoCell = CellIds::kNone;

// Bits of a cell's flags.
enum CellFlag : std::uint8_t {
    kLive = 1,           // the index is interned
    kHasInput = 2,       // a key of the inputs
    kBlocksSpill = 4,    // an input with a non-empty text
    kTyped = 8,          // the input is a typed value
    kFormula = 16,       // an untyped input whose text starts with "="
    kPinned = 32,        // a key of the pins
    kLiteralValue = 64,  // the value is the classified input text, still current
};

// A formula's parse, kept while its text is unchanged, with the names substituted for one
// version of the name table.
struct FormulaCache {
    FormulaStore::Stored parsed;  // in the sheet's store; empty when it did not parse
    bool has_names = false;
    std::uint64_t names_version = 0;
    std::shared_ptr<NameResolver> resolver;  // owns the definition trees `root` may share
    std::unique_ptr<AstArena> resolved_nodes;
    // What to evaluate: flattened code, or else a tree; neither when the formula is an error.
    std::span<const ScalarOp> code;
    const AstNode* root = nullptr;
    CellValue error;  // the cell's value when it is an error

    bool is_error() const noexcept { return !root && code.empty(); }
};

// Data of a cell that the hot loops do not touch.
struct CellExtras {
    std::string text;  // the raw input text (a typed input's rendering)
    CellValue typed;
    std::unique_ptr<ArrayValue> pin;
    // The array last placed with this cell as anchor, and its region (spill records).
    std::unique_ptr<ArrayValue> spill_array;
    std::unique_ptr<FormulaCache> formula;
};

// The ordering of one pass, kept while the structure and the spill owners stay the same.
struct EvaluationOrder {
    std::uint32_t max_row = 1;
    std::uint32_t max_col = 1;
    std::vector<std::uint32_t> order;     // every participating cell, dependencies first
    // Per entry of `order`: the formula's code, or else its tree (neither: not a formula to
    // evaluate, or an error).
    std::vector<std::span<const ScalarOp>> code;
    std::vector<const AstNode*> roots;
    std::vector<std::uint32_t> left_out;  // cells that could not be ordered (a cycle)
    bool used_redirects = false;          // a reference to a spilled cell was turned to its anchor
    bool without_redirects = false;       // ordered again without them after a false cycle
};

struct SheetState {
    CellIds ids;
    std::vector<std::uint8_t> flags;
    std::vector<CellValue> values;  // Empty where the cell has no value
    std::vector<CellExtras> extras;
    // Spill owners of this pass and of the pass before, each with the list of owned cells.
    std::vector<std::uint32_t> owner;
    std::vector<std::uint32_t> previous_owner;
    std::vector<std::uint32_t> owned;
    std::vector<std::uint32_t> previously_owned;
    std::vector<std::uint32_t> anchors;  // cells with a spill record

    OrderedCells inputs_order;
    OrderedCells values_order;
    OrderedCells pins_order;

    FormulaStore formulas;
    NameTable names;
    std::uint64_t names_version = 1;
    std::shared_ptr<Registry> registry;

    // Bumped by every change to what the ordering depends on: which cells have an input or a
    // pin, formula texts, pin shapes and names.
    std::uint64_t structure_version = 1;
    EvaluationOrder order;
    bool order_valid = false;
    std::uint64_t order_version = 0;
    bool order_owners_current = false;  // the spill owners are those the order was built with

    std::size_t live_after_sweep = 0;

    bool has(std::uint32_t cell, CellFlag flag) const noexcept { return flags[cell] & flag; }

    std::uint32_t find(std::string_view id) const { return ids.find(id); }
    std::uint32_t intern(std::string_view id);
    std::uint32_t intern(std::uint32_t col, std::uint32_t row);

    void set_value(std::uint32_t cell, CellValue value);
    void remove_value(std::uint32_t cell);

    // Stores a raw text (classified later) or a typed value with its rendering as the input.
    void set_input(std::uint32_t cell, std::string_view text, const CellValue* typed);
    void remove_input(std::uint32_t cell);

    // The formula of a cell whose input is a formula, parsed on first use and resolved again
    // only when the names change.
    const FormulaCache& formula(std::uint32_t cell);
    // Writes the value of a non-formula text, unless it is there already.
    void write_literal(std::uint32_t cell);
    // After a registration of a custom type: texts must be classified again.
    void forget_literals() noexcept;

    // Packs the stored formula trees again when dropped ones take much of the store. Moves every
    // tree: no root of an earlier formula() call may be kept across it.
    void compact_formulas();

    // Frees the records of cells that hold nothing any more, once enough have accumulated.
    void sweep();

private:
    void grow();
    void drop_formula(CellExtras& extra) noexcept;
    std::shared_ptr<NameResolver> resolver_;
    std::uint64_t resolver_version_ = 0;
    ScalarFlattener flattener_;  // for formulas with names substituted
};

}  // namespace orvel::core
