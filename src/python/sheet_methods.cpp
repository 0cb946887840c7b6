#include "python/sheet_methods.h"

#include <string>
#include <utility>
#include <vector>

#include "core/limits.h"
#include "core/number_text.h"
#include "core/sheet.h"
#include "datetime/register.h"
#include "python/arguments.h"
#include "python/catalogue_dicts.h"
#include "python/convert.h"
#include "python/docstrings.h"
#include "python/errors.h"
#include "python/keys.h"
#include "python/python_extensions.h"
#include "python/sheet_object.h"
#include "python/text.h"
#include "url/register.h"

namespace orvel::python {

namespace core = orvel::core;

struct SheetState {
    core::Sheet engine;
};

SheetState* new_sheet_state() { return new SheetState(); }
void delete_sheet_state(SheetState* state) noexcept { delete state; }

int traverse_sheet_state(const SheetState& state, visitproc visit, void* arg) {
    return traverse_registry(state.engine.registry(), visit, arg);
}

void clear_sheet_state(SheetState& state) { clear_registry(state.engine.registry()); }

namespace {

SheetObject& sheet_of(PyObject* self) { return *reinterpret_cast<SheetObject*>(self); }
core::Sheet& engine_of(SheetObject& sheet) { return sheet.state->engine; }

PyRef none() { return PyRef::borrow(Py_None); }

PyRef optional_str(const std::optional<std::string>& text) {
    return text ? make_str(*text) : none();
}

// Reads one (str, object) pair of a `changes` list.
std::pair<PyObject*, PyObject*> pair_of(PyObject* item) {
    if (!PyTuple_Check(item)) raise_argument_type("changes", "tuple", item);
    const Py_ssize_t size = PyTuple_GET_SIZE(item);
    if (size != 2) {
        raise(PyExc_TypeError, "argument 'changes': expected a tuple of 2 items, got " +
                                   std::to_string(size));
    }
    return {PyTuple_GET_ITEM(item, 0), PyTuple_GET_ITEM(item, 1)};
}

// The display text of every value: numbers and other non-text kinds are written into one
// reused buffer rather than a new string per cell.
PyRef display_of(const core::CellValue& value, std::string& buffer) {
    if (value.is_text()) return make_str(value.text_view());
    buffer.clear();
    value.append_display(buffer);
    return make_str(buffer);
}

void raise_engine_error(const std::string& display) { raise(PyExc_ValueError, display); }

// A list of rows, each a list of converted elements. An array of rows without columns would
// otherwise build one empty list per row, billions of them for a huge row count.
template <class Convert>
PyRef array_to_rows(const core::ArrayValue& array, Convert convert) {
    const std::uint32_t rows = array.rows();
    const std::uint32_t cols = array.cols();
    if (cols == 0 && rows > core::kMaxCells) {
        raise(PyExc_ValueError, "array has " + std::to_string(rows) +
                                    " rows and no columns: more than " +
                                    std::to_string(core::kMaxCells) +
                                    " empty rows cannot be listed");
    }
    PyRef out = checked(PyList_New(static_cast<Py_ssize_t>(rows)));
    const core::CellValue* element = array.data();
    for (std::uint32_t r = 0; r < rows; ++r) {
        PyRef row = checked(PyList_New(static_cast<Py_ssize_t>(cols)));
        for (std::uint32_t c = 0; c < cols; ++c, ++element) {
            PyList_SET_ITEM(row.get(), static_cast<Py_ssize_t>(c), convert(*element).release());
        }
        PyList_SET_ITEM(out.get(), static_cast<Py_ssize_t>(r), row.release());
    }
    return out;
}

constexpr const char* kChanges[] = {"changes"};
constexpr const char* kCellId[] = {"cell_id"};
constexpr const char* kName[] = {"name"};
constexpr const char* kNameDefinition[] = {"name", "definition"};
constexpr const char* kTryParse[] = {"type_tag", "raw", "options"};
constexpr const char* kPin[] = {"cell_id", "rows"};
constexpr const char* kHandler[] = {"handler"};
constexpr const char* kNameFunc[] = {"name", "func"};
constexpr const char* kFormulaCursor[] = {"formula", "cursor"};

using Args = PyObject* const*;

// ---- writing ----

PyObject* set_cells(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.set_cells", kChanges, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        ExclusiveBorrow borrow(sheet.borrow);
        PyRef items = sequence_snapshot(slots[0], "changes");
        const Py_ssize_t size = PyTuple_GET_SIZE(items.get());
        std::vector<core::CellText> changes;
        changes.reserve(static_cast<std::size_t>(size));
        for (Py_ssize_t i = 0; i < size; ++i) {
            auto [id, text] = pair_of(PyTuple_GET_ITEM(items.get(), i));
            changes.push_back({str_argument(id, "changes"), str_argument(text, "changes")});
        }
        if (auto error = engine_of(sheet).set_cells(changes)) raise_engine_error(error->display());
        Py_RETURN_NONE;
    });
}

PyObject* set_cells_typed(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.set_cells_typed", kChanges, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        ExclusiveBorrow borrow(sheet.borrow);
        PyRef items = sequence_snapshot(slots[0], "changes");
        const Py_ssize_t size = PyTuple_GET_SIZE(items.get());
        std::vector<core::CellInputChange> changes;
        changes.reserve(static_cast<std::size_t>(size));
        for (Py_ssize_t i = 0; i < size; ++i) {
            auto [id_object, payload] = pair_of(PyTuple_GET_ITEM(items.get(), i));
            std::string_view id = str_argument(id_object, "changes");
            CellPayload input = payload_to_input(payload, id);
            changes.push_back({id, input.raw ? core::CellInput::raw(std::move(input.raw_text))
                                             : core::CellInput::typed(std::move(input.value))});
        }
        if (auto error = engine_of(sheet).set_cells_typed(changes)) {
            raise_engine_error(error->display());
        }
        Py_RETURN_NONE;
    });
}

PyObject* set_name(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.set_name", kNameDefinition, 2, 2};
        auto slots = bind<2>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        ExclusiveBorrow borrow(sheet.borrow);
        std::string_view name = str_argument(slots[0], "name");
        std::string_view definition = str_argument(slots[1], "definition");
        if (auto error = engine_of(sheet).set_name(name, definition)) {
            raise_engine_error(error->display());
        }
        Py_RETURN_NONE;
    });
}

PyObject* remove_name(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.remove_name", kName, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        ExclusiveBorrow borrow(sheet.borrow);
        std::string_view name = str_argument(slots[0], "name");
        if (auto error = engine_of(sheet).remove_name(name)) raise_engine_error(error->display());
        Py_RETURN_NONE;
    });
}

PyObject* pin_value(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.pin_value", kPin, 2, 2};
        auto slots = bind<2>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        ExclusiveBorrow borrow(sheet.borrow);
        std::string_view id = str_argument(slots[0], "cell_id");
        PyRef rows_snapshot = sequence_snapshot(slots[1], "rows");
        const Py_ssize_t row_count = PyTuple_GET_SIZE(rows_snapshot.get());
        std::vector<std::vector<core::CellValue>> rows;
        rows.reserve(static_cast<std::size_t>(row_count));
        for (Py_ssize_t r = 0; r < row_count; ++r) {
            PyRef row = sequence_snapshot(PyTuple_GET_ITEM(rows_snapshot.get(), r), "rows");
            const Py_ssize_t cols = PyTuple_GET_SIZE(row.get());
            std::vector<core::CellValue>& out = rows.emplace_back();
            out.reserve(static_cast<std::size_t>(cols));
            for (Py_ssize_t c = 0; c < cols; ++c) {
                out.push_back(
                    core::CellValue::text(str_argument(PyTuple_GET_ITEM(row.get(), c), "rows")));
            }
        }
        if (auto error = engine_of(sheet).pin_value(id, std::move(rows))) {
            raise_engine_error(error->display());
        }
        Py_RETURN_NONE;
    });
}

PyObject* unpin_value(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.unpin_value", kCellId, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        ExclusiveBorrow borrow(sheet.borrow);
        engine_of(sheet).unpin_value(str_argument(slots[0], "cell_id"));
        Py_RETURN_NONE;
    });
}

PyObject* register_type(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.register_type", kHandler, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        ExclusiveBorrow borrow(sheet.borrow);
        auto handler = PyHandler::from_object(slots[0]);
        if (auto error = engine_of(sheet).register_type(std::move(handler))) {
            raise_engine_error(error->display());
        }
        Py_RETURN_NONE;
    });
}

PyObject* register_function(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.register_function", kNameFunc, 2, 2};
        auto slots = bind<2>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        ExclusiveBorrow borrow(sheet.borrow);
        std::string_view name = str_argument(slots[0], "name");
        if (name.empty()) raise(PyExc_ValueError, "register_function: name must be non-empty");
        auto function = std::make_shared<PyFunc>(std::string(name), slots[1]);
        if (auto error = engine_of(sheet).register_function(std::move(function))) {
            raise_engine_error(error->display());
        }
        Py_RETURN_NONE;
    });
}

// ---- reading ----

PyObject* try_parse(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.try_parse", kTryParse, 3, 3};
        auto slots = bind<3>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        std::string_view tag = str_argument(slots[0], "type_tag");
        std::string_view raw = str_argument(slots[1], "raw");
        std::string_view options = str_argument(slots[2], "options");
        auto value = engine_of(sheet).try_parse(tag, raw, options);
        if (!value) Py_RETURN_NONE;
        return custom_dict(value->custom_tag(), value->custom_data()).release();
    });
}

PyObject* get(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.get", kCellId, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        const core::CellValue value = engine_of(sheet).get(str_argument(slots[0], "cell_id"));
        if (value.is_empty()) Py_RETURN_NONE;
        return display_to_py(value).release();
    });
}

PyObject* get_typed(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.get_typed", kCellId, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        return value_to_py(engine_of(sheet).get(str_argument(slots[0], "cell_id"))).release();
    });
}

template <class Convert>
PyObject* all_values(PyObject* self, Convert convert) {
    SheetObject& sheet = sheet_of(self);
    SharedBorrow borrow(sheet.borrow);
    // Presized: a large sheet would otherwise grow the dict through a dozen rehashes.
    const auto count = static_cast<Py_ssize_t>(engine_of(sheet).value_count());
    PyRef dict = checked(_PyDict_NewPresized(count));
    engine_of(sheet).for_each_value([&](std::string_view id, const core::CellValue& value) {
        if (value.is_empty()) return;
        PyRef key = make_str(id);
        PyRef item = convert(value);
        if (PyDict_SetItem(dict.get(), key.get(), item.get()) < 0) throw PythonError{};
    });
    return dict.release();
}

PyObject* get_all(PyObject* self, PyObject*) {
    return guarded([&]() -> PyObject* {
        std::string buffer;
        return all_values(self, [&](const core::CellValue& value) {
            return display_of(value, buffer);
        });
    });
}

PyObject* get_all_typed(PyObject* self, PyObject*) {
    return guarded([&]() -> PyObject* { return all_values(self, value_to_py); });
}

PyObject* get_array(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.get_array", kCellId, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        const core::ArrayValue* array =
            engine_of(sheet).spill_array(str_argument(slots[0], "cell_id"));
        if (array == nullptr) Py_RETURN_NONE;
        std::string buffer;
        return array_to_rows(*array, [&](const core::CellValue& value) {
                   return display_of(value, buffer);
               }).release();
    });
}

PyObject* get_array_typed(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.get_array_typed", kCellId, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        const core::ArrayValue* array =
            engine_of(sheet).spill_array(str_argument(slots[0], "cell_id"));
        if (array == nullptr) Py_RETURN_NONE;
        return array_to_rows(*array, value_to_py).release();
    });
}

PyObject* get_name(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.get_name", kName, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        return optional_str(engine_of(sheet).get_name(str_argument(slots[0], "name"))).release();
    });
}

PyObject* names(PyObject* self, PyObject*) {
    return guarded([&]() -> PyObject* {
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        PyRef dict = checked(PyDict_New());
        engine_of(sheet).names().for_each([&](std::string_view name, std::string_view definition) {
            PyRef key = make_str(name);
            PyRef value = make_str(definition);
            if (PyDict_SetItem(dict.get(), key.get(), value.get()) < 0) throw PythonError{};
        });
        return dict.release();
    });
}

PyObject* spill_at(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.spill_at", kCellId, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        auto region = engine_of(sheet).spill_at(str_argument(slots[0], "cell_id"));
        if (!region) Py_RETURN_NONE;
        PyRef dict = checked(PyDict_New());
        PyRef rows = checked(PyLong_FromUnsignedLong(region->rows));
        PyRef cols = checked(PyLong_FromUnsignedLong(region->cols));
        if (PyDict_SetItem(dict.get(), keys().rows, rows.get()) < 0 ||
            PyDict_SetItem(dict.get(), keys().cols, cols.get()) < 0) {
            throw PythonError{};
        }
        return dict.release();
    });
}

PyObject* owner_of(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.owner_of", kCellId, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        return optional_str(engine_of(sheet).owner_of(str_argument(slots[0], "cell_id")))
            .release();
    });
}

PyObject* pinned_cells(PyObject* self, PyObject*) {
    return guarded([&]() -> PyObject* {
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        const std::vector<std::string> ids = engine_of(sheet).pinned_cells();
        PyRef list = checked(PyList_New(static_cast<Py_ssize_t>(ids.size())));
        for (std::size_t i = 0; i < ids.size(); ++i) {
            PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), make_str(ids[i]).release());
        }
        return list.release();
    });
}

PyObject* is_pinned(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.is_pinned", kCellId, 1, 1};
        auto slots = bind<1>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        return PyBool_FromLong(engine_of(sheet).is_pinned(str_argument(slots[0], "cell_id")));
    });
}

// ---- editors ----

PyObject* complete(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.complete", kFormulaCursor, 2, 2};
        auto slots = bind<2>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        std::string_view formula = str_argument(slots[0], "formula");
        const std::size_t cursor = size_argument(slots[1], "cursor");
        return completion_to_py(engine_of(sheet).complete(formula, cursor)).release();
    });
}

// Switches a package on: its registration stops at the first refusal, keeping what it did.
template <class Register>
PyObject* register_package(PyObject* self, Register register_on_sheet) {
    return guarded([&]() -> PyObject* {
        SheetObject& sheet = sheet_of(self);
        ExclusiveBorrow borrow(sheet.borrow);
        if (auto error = register_on_sheet(engine_of(sheet))) raise_engine_error(error->display());
        Py_RETURN_NONE;
    });
}

PyObject* register_datetime(PyObject* self, PyObject*) {
    return register_package(self, datetime::register_on_sheet<core::Sheet>);
}

PyObject* register_url(PyObject* self, PyObject*) {
    return register_package(self, url::register_on_sheet<core::Sheet>);
}

PyObject* list_functions(PyObject* self, PyObject*) {
    return guarded([&]() -> PyObject* {
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        return function_list_to_py(engine_of(sheet).list_functions()).release();
    });
}

PyObject* signature_help(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.signature_help", kFormulaCursor, 2, 2};
        auto slots = bind<2>(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        std::string_view formula = str_argument(slots[0], "formula");
        const std::size_t cursor = size_argument(slots[1], "cursor");
        return signature_help_to_py(engine_of(sheet).signature_help(formula, cursor)).release();
    });
}

PyMethodDef g_methods[] = {
    {"set_cells", as_cfunction(set_cells), kFastCall, kSheetSetCellsDoc},
    {"set_cells_typed", as_cfunction(set_cells_typed), kFastCall, kSheetSetCellsTypedDoc},
    {"try_parse", as_cfunction(try_parse), kFastCall, kSheetTryParseDoc},
    {"get", as_cfunction(get), kFastCall, kSheetGetDoc},
    {"get_all", get_all, METH_NOARGS, kSheetGetAllDoc},
    {"get_typed", as_cfunction(get_typed), kFastCall, kSheetGetTypedDoc},
    {"get_all_typed", get_all_typed, METH_NOARGS, kSheetGetAllTypedDoc},
    {"get_array_typed", as_cfunction(get_array_typed), kFastCall, kSheetGetArrayTypedDoc},
    {"set_name", as_cfunction(set_name), kFastCall, kSheetSetNameDoc},
    {"remove_name", as_cfunction(remove_name), kFastCall, kSheetRemoveNameDoc},
    {"get_name", as_cfunction(get_name), kFastCall, kSheetGetNameDoc},
    {"names", names, METH_NOARGS, kSheetNamesDoc},
    {"spill_at", as_cfunction(spill_at), kFastCall, kSheetSpillAtDoc},
    {"owner_of", as_cfunction(owner_of), kFastCall, kSheetOwnerOfDoc},
    {"get_array", as_cfunction(get_array), kFastCall, kSheetGetArrayDoc},
    {"pin_value", as_cfunction(pin_value), kFastCall, kSheetPinValueDoc},
    {"unpin_value", as_cfunction(unpin_value), kFastCall, kSheetUnpinValueDoc},
    {"pinned_cells", pinned_cells, METH_NOARGS, kSheetPinnedCellsDoc},
    {"is_pinned", as_cfunction(is_pinned), kFastCall, kSheetIsPinnedDoc},
    {"register_type", as_cfunction(register_type), kFastCall, kSheetRegisterTypeDoc},
    {"register_function", as_cfunction(register_function), kFastCall, kSheetRegisterFunctionDoc},
    {"complete", as_cfunction(complete), kFastCall, kSheetCompleteDoc},
    {"register_datetime", register_datetime, METH_NOARGS, kSheetRegisterDatetimeDoc},
    {"register_url", register_url, METH_NOARGS, kSheetRegisterUrlDoc},
    {"list_functions", list_functions, METH_NOARGS, kSheetListFunctionsDoc},
    {"signature_help", as_cfunction(signature_help), kFastCall, kSheetSignatureHelpDoc},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

PyMethodDef* sheet_method_table() { return g_methods; }

}  // namespace orvel::python
