#include "core/sheet_state.h"

#include "core/eval.h"
#include "core/parser.h"

namespace orvel::core {

void SheetState::grow() {
    const std::size_t capacity = ids.capacity();
    if (flags.size() >= capacity) return;
    // Doubling keeps interning of long spills linear.
    std::size_t size = std::max(capacity, flags.size() * 2);
    flags.resize(size, 0);
    values.resize(size);
    extras.resize(size);
    owner.resize(size, kNoCell);
    previous_owner.resize(size, kNoCell);
}

std::uint32_t SheetState::intern(std::string_view id) {
    std::uint32_t cell = ids.intern(id);
    grow();
    flags[cell] |= kLive;
    return cell;
}

std::uint32_t SheetState::intern(std::uint32_t col, std::uint32_t row) {
    std::uint32_t cell = ids.intern(col, row);
    grow();
    flags[cell] |= kLive;
    return cell;
}

void SheetState::set_value(std::uint32_t cell, CellValue value) {
    values[cell] = std::move(value);
    values_order.insert(cell);
}

void SheetState::remove_value(std::uint32_t cell) {
    values[cell] = CellValue();
    values_order.erase(cell);
    flags[cell] &= static_cast<std::uint8_t>(~kLiteralValue);
}

void SheetState::set_input(std::uint32_t cell, std::string_view text, const CellValue* typed) {
    CellExtras& extra = extras[cell];
    const std::uint8_t before = flags[cell];
    std::uint8_t after = kLive | kHasInput | (before & kPinned);
    if (!text.empty()) after |= kBlocksSpill;
    if (typed) {
        after |= kTyped;
    } else if (!text.empty() && text[0] == '=') {
        after |= kFormula;
    }
    const bool text_changed = !(before & kHasInput) || extra.text != text;
    const bool was_formula = before & kFormula, is_formula = after & kFormula;
    if (!(before & kHasInput) || was_formula != is_formula || (is_formula && text_changed)) {
        ++structure_version;
    }
    if (text_changed) {
        extra.text.assign(text);
        drop_formula(extra);
    } else if (!typed) {
        after |= before & kLiteralValue;
    }
    extra.typed = typed ? *typed : CellValue();
    flags[cell] = after;
    inputs_order.insert(cell);
}

void SheetState::remove_input(std::uint32_t cell) {
    if (!has(cell, kHasInput)) return;
    CellExtras& extra = extras[cell];
    std::string().swap(extra.text);
    extra.typed = CellValue();
    drop_formula(extra);
    flags[cell] &= static_cast<std::uint8_t>(kLive | kPinned);
    inputs_order.erase(cell);
    ++structure_version;
}

void SheetState::drop_formula(CellExtras& extra) noexcept {
    if (!extra.formula) return;
    formulas.drop(extra.formula->parsed);
    extra.formula.reset();
}

const FormulaCache& SheetState::formula(std::uint32_t cell) {
    CellExtras& extra = extras[cell];
    if (!extra.formula) {
        extra.formula = std::make_unique<FormulaCache>();
        FormulaCache& f = *extra.formula;
        auto parsed = Parser::parse(extra.text);
        if (!parsed) {
            f.error = CellValue::error(FormulaError::from(parsed.error()));
            return f;
        }
        f.parsed = formulas.add(parsed->root());
        // Flattened code holds no names.
        if (f.parsed.root) {
            for_each_node(f.parsed.root, [&](const AstNode* node) {
                if (node->kind == NodeKind::Name) f.has_names = true;
            });
        }
        if (!f.has_names) {
            f.code = f.parsed.code;
            f.root = f.parsed.root;
            return f;
        }
    }
    FormulaCache& f = *extra.formula;
    if (!f.has_names || f.names_version == names_version) return f;
    if (!resolver_ || resolver_version_ != names_version) {
        resolver_ = std::make_shared<NameResolver>(names);
        resolver_version_ = names_version;
    }
    f.names_version = names_version;
    f.resolver = resolver_;
    f.resolved_nodes = std::make_unique<AstArena>();
    f.code = {};
    f.root = nullptr;
    auto resolved = resolver_->resolve(f.parsed.root, *f.resolved_nodes);
    if (resolved) {
        f.code = flattener_.flatten(*resolved, *f.resolved_nodes);
        if (f.code.empty()) f.root = *resolved;
        f.error = CellValue();
    } else {
        f.error = CellValue::error(FormulaError::from(resolved.error()));
    }
    return f;
}

void SheetState::compact_formulas() {
    if (!formulas.wants_compaction()) return;
    FormulaStore packed;
    inputs_order.for_each([&](std::uint32_t cell) {
        FormulaCache* f = extras[cell].formula.get();
        if (!f || f->parsed.empty()) return;
        f->parsed = packed.add(f->parsed);
        if (f->has_names) {
            // The substituted tree shares nodes of the old copy: substitute again on next use.
            f->names_version = 0;
            f->code = {};
            f->root = nullptr;
            f->resolved_nodes.reset();
        } else {
            f->code = f->parsed.code;
            f->root = f->parsed.root;
        }
    });
    formulas = std::move(packed);
}

void SheetState::write_literal(std::uint32_t cell) {
    // Nothing else writes the value of a cell with a literal input (its text blocks spills and
    // a pin clears the mark), so a value classified earlier is still the one to write.
    if (has(cell, kLiteralValue)) return;
    set_value(cell, classify_literal(extras[cell].text, *registry));
    // A custom type may claim a text differently from one call to the next: classify afresh.
    if (!registry->has_types()) flags[cell] |= kLiteralValue;
}

void SheetState::forget_literals() noexcept {
    for (std::uint8_t& f : flags) f &= static_cast<std::uint8_t>(~kLiteralValue);
}

void SheetState::sweep() {
    if (ids.live() < 2 * live_after_sweep + 4096) return;
    for (std::uint32_t cell = 0; cell < ids.capacity(); ++cell) {
        const bool dead = has(cell, kLive) && !has(cell, kHasInput) && !has(cell, kPinned) &&
                          !values_order.contains(cell) && owner[cell] == kNoCell &&
                          !extras[cell].spill_array;
        if (!dead) continue;
        ids.release(cell);
        flags[cell] = 0;
        previous_owner[cell] = kNoCell;
    }
    live_after_sweep = ids.live();
}

}  // namespace orvel::core
