// Custom functions and custom types written in Python: engine interfaces whose every call
// goes into the interpreter and back. A Python exception never escapes into the engine: it
// becomes an error text, or a "not handled" / fallback answer.
#pragma once

#include "python/py_ref.h"

#include <array>
#include <string>

#include "core/interfaces.h"
#include "core/registry.h"

namespace orvel::python {

class PyFunc final : public core::CustomFunction {
public:
    PyFunc(std::string name, PyObject* function);
    ~PyFunc() override;

    std::string_view name() const override { return name_; }
    core::Expected<core::CellValue, std::string> call(
        std::span<const core::CellValue> args) const override;

    int traverse(visitproc visit, void* arg) const;
    void clear() const;

private:
    std::string name_;
    mutable PyObject* function_;  // owned; null once the garbage collector cleared it
};

class PyHandler final : public core::CustomTypeHandler {
public:
    // The protocol's optional attributes, in the order they are read at registration.
    enum Slot { ParseLiteral, ParseWith, Display, EditRepr, BinaryOp, Compare, AsNumber, kSlots };

    // Reads the handler object's attributes; a bad `type_tag` raises ValueError.
    static std::shared_ptr<PyHandler> from_object(PyObject* handler);
    ~PyHandler() override;

    std::string_view type_tag() const override { return type_tag_; }
    std::optional<core::CellValue> parse_literal(std::string_view text) const override;
    std::optional<core::CellValue> parse_with(std::string_view text,
                                              std::string_view options) const override;
    std::string display(const core::CellValue& value) const override;
    std::string edit_repr(const core::CellValue& value) const override;
    core::BinaryOpAnswer binary_op(core::BinaryOpCode op, const core::CellValue& left,
                                   const core::CellValue& right) const override;
    core::CompareAnswer compare(core::CompareOp op, const core::CellValue& left,
                                const core::CellValue& right) const override;
    std::optional<double> as_number(const core::CellValue& value) const override;

    int traverse(visitproc visit, void* arg) const;
    void clear() const;

private:
    PyHandler() = default;
    std::optional<core::CellValue> claim(PyObject* slot, std::string_view text,
                                         const std::string_view* options) const;
    std::string show(Slot slot, const core::CellValue& value) const;

    std::string type_tag_;
    mutable std::array<PyObject*, kSlots> slots_{};  // owned; null when absent or cleared
};

// The garbage collector's view of a registry: the Python objects its extensions hold.
int traverse_registry(const core::Registry& registry, visitproc visit, void* arg);
void clear_registry(const core::Registry& registry);

}  // namespace orvel::python
