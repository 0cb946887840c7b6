// The sheet: raw and typed cell inputs, named definitions, pinned arrays, spill records and the
// registry of custom types and functions. Every change recalculates the whole sheet before it
// returns; reading never recalculates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/catalogue.h"
#include "core/complete.h"
#include "core/names.h"
#include "core/registry.h"
#include "core/values.h"

namespace orvel::core {

struct SheetState;

struct SpillRegion {
    std::string anchor;
    std::uint32_t rows = 0;
    std::uint32_t cols = 0;
};

struct SheetError {
    enum class Kind : std::uint8_t { Cycle, InvalidName, InvalidDefinition };
    Kind kind;
    std::vector<std::string> cells;  // Cycle: the cells left out of the order, sorted by bytes
    std::string message;             // InvalidName, InvalidDefinition

    // "#CIRCULAR! Cycle detected involving: A1, B1", or the message.
    std::string display() const;
};

struct SpillError {
    std::string message;  // of the one kind, InvalidShape
    std::string display() const { return "InvalidShape: " + message; }
};

// One write of set_cells_typed: raw text, classified like any input, or a value stored as is.
class CellInput {
public:
    static CellInput raw(std::string text) { return CellInput(std::move(text)); }
    static CellInput typed(CellValue value) { return CellInput(std::move(value)); }

    bool is_raw() const noexcept { return content_.index() == 0; }
    const std::string& text() const { return std::get<0>(content_); }
    const CellValue& value() const { return std::get<1>(content_); }

private:
    explicit CellInput(std::string text) : content_(std::move(text)) {}
    explicit CellInput(CellValue value) : content_(std::move(value)) {}
    std::variant<std::string, CellValue> content_;
};

struct CellText {
    std::string_view cell;
    std::string_view text;
};

struct CellInputChange {
    std::string_view cell;
    CellInput input;
};

class Sheet {
public:
    // An empty sheet with an empty registry of its own.
    Sheet();
    // An empty sheet sharing `registry`; the sheet copies it before registering anything.
    explicit Sheet(std::shared_ptr<Registry> registry);
    ~Sheet();
    Sheet(Sheet&&) noexcept;
    Sheet& operator=(Sheet&&) noexcept;

    // --- Cell inputs. Ids are exact bytes, never normalised.

    // Stores each text in order (an empty text removes the cell's input and value), then
    // recalculates; a cycle is returned with the writes kept.
    std::optional<SheetError> set_cells(std::span<const CellText> changes);
    std::optional<SheetError> set_cells_typed(std::span<const CellInputChange> changes);

    // The computed value, Empty for a cell without one.
    CellValue get(std::string_view cell) const;
    // Every computed value in the order cells first received one (Empty values included).
    std::vector<std::pair<std::string, CellValue>> values() const;
    // The same walk without copying the map: visit(id, value) for each, the id valid only
    // during the call. For hosts that turn the whole sheet into their own objects.
    void for_each_value(
        const std::function<void(std::string_view, const CellValue&)>& visit) const;
    // How many values that walk visits.
    std::size_t value_count() const noexcept;

    // --- Named definitions (names are upper-cased before every use).

    std::optional<SheetError> set_name(std::string_view name, std::string_view definition);
    // Removes the name if defined and recalculates in any case.
    std::optional<SheetError> remove_name(std::string_view name);
    std::optional<std::string> get_name(std::string_view name) const;
    // Upper-cased name -> definition as given, in definition order (NameTable::for_each).
    const NameTable& names() const noexcept;

    // --- Spill records of the last recalculation.

    // The region of a multi-cell (or empty) result placed at the cell as anchor.
    std::optional<SpillRegion> spill_at(std::string_view cell) const;
    // The anchor whose spill filled the cell (an anchor owns itself).
    std::optional<std::string> owner_of(std::string_view cell) const;
    // The whole array placed at the anchor; valid until the sheet next changes.
    const ArrayValue* spill_array(std::string_view anchor) const;

    // --- Pins: a fixed array in place of the cell's own result, spilled like one.

    // Checks the shape, stores the pin and recalculates (a cycle goes unreported).
    std::optional<SpillError> pin_value(std::string_view anchor,
                                        std::vector<std::vector<CellValue>> rows);
    // Removes the pin and recalculates; nothing at all when the cell has none.
    void unpin_value(std::string_view anchor);
    // The pinned anchors sorted by bytes.
    std::vector<std::string> pinned_cells() const;
    bool is_pinned(std::string_view cell) const;

    // --- Registry and editor services. Registrations do not recalculate.

    std::optional<RegistryError> register_type(Registry::HandlerPtr handler);
    std::optional<RegistryError> register_function(Registry::FunctionPtr function);
    const Registry& registry() const noexcept;
    std::vector<FunctionInfo> list_functions() const;
    std::optional<SignatureHelp> signature_help(std::string_view formula, std::size_t cursor) const;
    CompletionList complete(std::string_view formula, std::size_t cursor) const;
    // The custom value the first handler of the type tag makes of `raw` with `options`.
    std::optional<CellValue> try_parse(std::string_view type_tag, std::string_view raw,
                                       std::string_view options) const;

    // A full recalculation; every change above ends with one.
    std::optional<SheetError> recalculate();

private:
    void write_raw(std::string_view cell, std::string_view text);
    std::optional<SheetError> recalculate_and_tidy();
    void make_registry_private();

    std::unique_ptr<SheetState> state_;
};

}  // namespace orvel::core
