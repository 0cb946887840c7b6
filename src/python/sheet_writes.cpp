// The Sheet methods that change the sheet: each holds it exclusively, recalculation included.
#include <string>
#include <utility>
#include <vector>

#include "python/arguments.h"
#include "python/convert.h"
#include "python/python_extensions.h"
#include "python/sheet_access.h"

namespace orvel::python::sheet_method {

namespace core = orvel::core;

namespace {

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

constexpr const char* kChanges[] = {"changes"};
constexpr const char* kCellId[] = {"cell_id"};
constexpr const char* kName[] = {"name"};
constexpr const char* kNameDefinition[] = {"name", "definition"};
constexpr const char* kPin[] = {"cell_id", "rows"};
constexpr const char* kHandler[] = {"handler"};
constexpr const char* kNameFunc[] = {"name", "func"};

}  // namespace

PyObject* set_cells(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.set_cells", kChanges};
        auto slots = bind(kParams, args, nargs, kwnames);
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
        static constexpr Parameters kParams{"Sheet.set_cells_typed", kChanges};
        auto slots = bind(kParams, args, nargs, kwnames);
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
        static constexpr Parameters kParams{"Sheet.set_name", kNameDefinition};
        auto slots = bind(kParams, args, nargs, kwnames);
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
        static constexpr Parameters kParams{"Sheet.remove_name", kName};
        auto slots = bind(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        ExclusiveBorrow borrow(sheet.borrow);
        std::string_view name = str_argument(slots[0], "name");
        if (auto error = engine_of(sheet).remove_name(name)) raise_engine_error(error->display());
        Py_RETURN_NONE;
    });
}

PyObject* pin_value(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.pin_value", kPin};
        auto slots = bind(kParams, args, nargs, kwnames);
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
        static constexpr Parameters kParams{"Sheet.unpin_value", kCellId};
        auto slots = bind(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        ExclusiveBorrow borrow(sheet.borrow);
        engine_of(sheet).unpin_value(str_argument(slots[0], "cell_id"));
        Py_RETURN_NONE;
    });
}

PyObject* register_type(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.register_type", kHandler};
        auto slots = bind(kParams, args, nargs, kwnames);
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
        static constexpr Parameters kParams{"Sheet.register_function", kNameFunc};
        auto slots = bind(kParams, args, nargs, kwnames);
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

}  // namespace orvel::python::sheet_method
