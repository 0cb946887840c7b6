#include "core/sheet.h"

#include <algorithm>

#include "core/parser.h"
#include "core/recalc.h"
#include "core/sheet_state.h"
#include "core/unicode.h"

namespace orvel::core {

std::string SheetError::display() const {
    if (kind != Kind::Cycle) return message;
    std::string out = "#CIRCULAR! Cycle detected involving: ";
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out += ", ";
        out += cells[i];
    }
    return out;
}

Sheet::Sheet() : Sheet(std::make_shared<Registry>()) {}

Sheet::Sheet(std::shared_ptr<Registry> registry) : state_(std::make_unique<SheetState>()) {
    state_->registry = registry ? std::move(registry) : std::make_shared<Registry>();
}

Sheet::~Sheet() = default;
Sheet::Sheet(Sheet&&) noexcept = default;
Sheet& Sheet::operator=(Sheet&&) noexcept = default;

std::optional<SheetError> Sheet::recalculate() {
    auto cycle = core::recalculate(*state_);
    if (!cycle) return std::nullopt;
    return SheetError{SheetError::Kind::Cycle, std::move(*cycle), {}};
}

std::optional<SheetError> Sheet::recalculate_and_tidy() {
    auto result = recalculate();
    state_->sweep();
    return result;
}

void Sheet::write_raw(std::string_view cell, std::string_view text) {
    SheetState& s = *state_;
    if (text.empty()) {
        std::uint32_t index = s.find(cell);
        if (index == kNoCell) return;
        s.remove_input(index);
        s.remove_value(index);
        return;
    }
    s.set_input(s.intern(cell), text, nullptr);
}

std::optional<SheetError> Sheet::set_cells(std::span<const CellText> changes) {
    for (const CellText& change : changes) write_raw(change.cell, change.text);
    return recalculate_and_tidy();
}

std::optional<SheetError> Sheet::set_cells_typed(std::span<const CellInputChange> changes) {
    for (const CellInputChange& change : changes) {
        if (change.input.is_raw()) {
            write_raw(change.cell, change.input.text());
            continue;
        }
        const CellValue& value = change.input.value();
        std::string text = state_->registry->render(value);
        state_->set_input(state_->intern(change.cell), text, &value);
    }
    return recalculate_and_tidy();
}

CellValue Sheet::get(std::string_view cell) const {
    std::uint32_t index = state_->find(cell);
    return index == kNoCell ? CellValue() : state_->values[index];
}

std::vector<std::pair<std::string, CellValue>> Sheet::values() const {
    std::vector<std::pair<std::string, CellValue>> out;
    out.reserve(state_->values_order.size());
    state_->values_order.for_each([&](std::uint32_t cell) {
        out.emplace_back(state_->ids.text(cell), state_->values[cell]);
    });
    return out;
}

void Sheet::for_each_value(
    const std::function<void(std::string_view, const CellValue&)>& visit) const {
    std::string id;
    state_->values_order.for_each([&](std::uint32_t cell) {
        id.clear();
        state_->ids.append_text(id, cell);
        visit(id, state_->values[cell]);
    });
}

std::size_t Sheet::value_count() const noexcept { return state_->values_order.size(); }

std::optional<SheetError> Sheet::set_name(std::string_view name, std::string_view definition) {
    if (auto message = check_name(name)) {
        return SheetError{SheetError::Kind::InvalidName, {}, std::move(*message)};
    }
    if (!definition.empty() && definition[0] == '=') {
        auto parsed = Parser::parse(definition);
        if (!parsed) {
            return SheetError{SheetError::Kind::InvalidDefinition, {}, std::move(parsed).error()};
        }
    }
    state_->names.insert_or_assign(to_upper_full(name), std::string(definition));
    ++state_->names_version;
    ++state_->structure_version;
    return recalculate_and_tidy();
}

std::optional<SheetError> Sheet::remove_name(std::string_view name) {
    if (state_->names.erase(to_upper_full(name))) {
        ++state_->names_version;
        ++state_->structure_version;
    }
    return recalculate_and_tidy();
}

std::optional<std::string> Sheet::get_name(std::string_view name) const {
    const std::string* definition = state_->names.find(to_upper_full(name));
    if (!definition) return std::nullopt;
    return *definition;
}

const NameTable& Sheet::names() const noexcept {
    return state_->names;
}

std::optional<SpillRegion> Sheet::spill_at(std::string_view cell) const {
    std::uint32_t index = state_->find(cell);
    if (index == kNoCell || !state_->extras[index].spill_array) return std::nullopt;
    const ArrayValue& array = *state_->extras[index].spill_array;
    return SpillRegion{std::string(cell), array.rows(), array.cols()};
}

std::optional<std::string> Sheet::owner_of(std::string_view cell) const {
    std::uint32_t index = state_->find(cell);
    if (index == kNoCell || state_->owner[index] == kNoCell) return std::nullopt;
    return state_->ids.text(state_->owner[index]);
}

const ArrayValue* Sheet::spill_array(std::string_view anchor) const {
    std::uint32_t index = state_->find(anchor);
    return index == kNoCell ? nullptr : state_->extras[index].spill_array.get();
}

std::optional<SpillError> Sheet::pin_value(std::string_view anchor,
                                           std::vector<std::vector<CellValue>> rows) {
    if (rows.empty()) return SpillError{"array must have at least one row"};
    const std::size_t cols = rows.front().size();
    if (cols == 0) return SpillError{"array must have at least one column"};
    for (const auto& row : rows) {
        if (row.size() != cols) return SpillError{"rows must all have the same length"};
    }
    std::vector<CellValue> data;
    data.reserve(rows.size() * cols);
    for (auto& row : rows) {
        for (CellValue& value : row) data.push_back(std::move(value));
    }
    // The shape is as large as the caller's memory allowed; ArrayValue refuses a mismatch.
    auto pinned = std::make_unique<ArrayValue>(static_cast<std::uint32_t>(rows.size()),
                                               static_cast<std::uint32_t>(cols), std::move(data));
    SheetState& s = *state_;
    std::uint32_t index = s.intern(anchor);
    s.extras[index].pin = std::move(pinned);
    s.flags[index] |= kPinned;
    s.flags[index] &= static_cast<std::uint8_t>(~kLiteralValue);
    s.pins_order.insert(index);
    ++s.structure_version;
    recalculate_and_tidy();
    return std::nullopt;
}

void Sheet::unpin_value(std::string_view anchor) {
    SheetState& s = *state_;
    std::uint32_t index = s.find(anchor);
    if (index == kNoCell || !s.has(index, kPinned)) return;
    s.extras[index].pin.reset();
    s.flags[index] &= static_cast<std::uint8_t>(~kPinned);
    s.pins_order.erase(index);
    // What the pin left in a cell without input of its own would otherwise stay.
    if (!s.has(index, kHasInput)) s.remove_value(index);
    ++s.structure_version;
    recalculate_and_tidy();
}

std::vector<std::string> Sheet::pinned_cells() const {
    std::vector<std::string> out;
    out.reserve(state_->pins_order.size());
    state_->pins_order.for_each([&](std::uint32_t cell) { out.push_back(state_->ids.text(cell)); });
    std::sort(out.begin(), out.end());
    return out;
}

bool Sheet::is_pinned(std::string_view cell) const {
    std::uint32_t index = state_->find(cell);
    return index != kNoCell && state_->has(index, kPinned);
}

void Sheet::make_registry_private() {
    if (state_->registry.use_count() > 1) {
        state_->registry = std::make_shared<Registry>(*state_->registry);
    }
}

std::optional<RegistryError> Sheet::register_type(Registry::HandlerPtr handler) {
    make_registry_private();
    auto error = state_->registry->register_type(std::move(handler));
    if (!error) state_->forget_literals();
    return error;
}

std::optional<RegistryError> Sheet::register_function(Registry::FunctionPtr function) {
    make_registry_private();
    return state_->registry->register_function(std::move(function));
}

const Registry& Sheet::registry() const noexcept {
    return *state_->registry;
}

std::vector<FunctionInfo> Sheet::list_functions() const {
    return list_functions_with_registry(*state_->registry);
}

std::optional<SignatureHelp> Sheet::signature_help(std::string_view formula,
                                                   std::size_t cursor) const {
    return signature_help_with_registry(*state_->registry, formula, cursor);
}

CompletionList Sheet::complete(std::string_view formula, std::size_t cursor) const {
    std::vector<std::string> names;
    names.reserve(state_->names.size());
    state_->names.for_each(
        [&](const std::string& name, const std::string&) { names.push_back(name); });
    return complete_inner(formula, cursor, names, state_->registry.get());
}

std::optional<CellValue> Sheet::try_parse(std::string_view type_tag, std::string_view raw,
                                          std::string_view options) const {
    const CustomTypeHandler* handler = state_->registry->handler_for(type_tag);
    if (!handler) return std::nullopt;
    return handler->parse_with(raw, options);
}

}  // namespace orvel::core
