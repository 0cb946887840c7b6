// The evaluator: syntax trees to arrays of values, and cell texts to values.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "core/ast.h"
#include "core/expected.h"
#include "core/interfaces.h"
#include "core/registry.h"
#include "core/scalar_code.h"
#include "core/values.h"

namespace orvel::core {

using EvalResult = Expected<ArrayValue, FormulaError>;

// A lookup where every cell is Empty (one-shot evaluation, literal classification).
const CellLookup& empty_lookup() noexcept;

// Working memory of tree evaluations, kept from one to the next so that evaluating many formulas
// in turn does not allocate stacks per formula. Serves one evaluation at a time.
class EvalScratch {
public:
    EvalScratch();
    ~EvalScratch();
    EvalScratch(EvalScratch&&) noexcept;
    EvalScratch& operator=(EvalScratch&&) noexcept;

    struct Stacks;
    Stacks& stacks() noexcept { return *stacks_; }

private:
    std::unique_ptr<Stacks> stacks_;
};

// Evaluates trees against a lookup, the used extent and a registry. The lookup, the resolver
// and the registry are borrowed and must outlive the evaluator.
class Evaluator {
public:
    Evaluator(const CellLookup& lookup, std::uint32_t max_row, std::uint32_t max_col,
              const Registry& registry) noexcept;

    Evaluator& with_spill_resolver(const SpillResolver* resolver) noexcept;

    EvalResult eval_node(const AstNode* node) const;
    // The same, with the stacks of `scratch` instead of fresh ones.
    EvalResult eval_node(const AstNode* node, EvalScratch& scratch) const;
    // The value of a formula's flattened code (non-empty, from ScalarCode): exactly what
    // eval_node gives for its tree, with the same reads and handler calls in the same order.
    Expected<CellValue, FormulaError> eval_code(std::span<const ScalarOp> code,
                                                EvalScratch& scratch) const;

    // A formula (text starting with "=") or a literal, to its value.
    Expected<CellValue, FormulaError> evaluate(std::string_view text) const;

private:
    const CellLookup& lookup_;
    const SpillResolver* resolver_ = nullptr;
    std::uint32_t max_row_;
    std::uint32_t max_col_;
    const Registry& registry_;
};

// The rectangle between two corners (any order), row by row, through the lookup.
EvalResult expand_range(const CellLookup& lookup, std::uint32_t col1, std::uint32_t row1,
                        std::uint32_t col2, std::uint32_t row2);

// A non-formula cell text to its value: custom literal, finite number, boolean, Empty or Text.
CellValue classify_literal(std::string_view text, const Registry& registry);

// "true" / "false" in any ASCII case, nothing else.
std::optional<bool> parse_bool_literal(std::string_view text) noexcept;

// The module-level one-shot evaluation: every cell Empty, whole columns rows 1..1000, whole
// rows columns A..Z, no spill arrays, built-in functions only.
Expected<CellValue, FormulaError> evaluate_one_shot(std::string_view text);

}  // namespace orvel::core
