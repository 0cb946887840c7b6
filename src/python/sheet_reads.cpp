// The Sheet methods that read the computed sheet under a shared borrow.
#include <string>
#include <vector>

#include "core/limits.h"
#include "python/arguments.h"
#include "python/convert.h"
#include "python/keys.h"
#include "python/sheet_access.h"
#include "python/text.h"

namespace orvel::python::sheet_method {

namespace core = orvel::core;

namespace {

PyRef none() { return PyRef::borrow(Py_None); }

PyRef optional_str(const std::optional<std::string>& text) {
    return text ? make_str(*text) : none();
}

// The display text of every value: numbers and other non-text kinds are written into one
// reused buffer rather than a new string per cell.
PyRef display_of(const core::CellValue& value, std::string& buffer) {
    if (value.is_text()) return make_str(value.text_view());
    buffer.clear();
    value.append_display(buffer);
    return make_str(buffer);
}

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

constexpr const char* kCellId[] = {"cell_id"};
constexpr const char* kName[] = {"name"};
constexpr const char* kTryParse[] = {"type_tag", "raw", "options"};

}  // namespace

PyObject* try_parse(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.try_parse", kTryParse};
        auto slots = bind(kParams, args, nargs, kwnames);
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
        static constexpr Parameters kParams{"Sheet.get", kCellId};
        auto slots = bind(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        const core::CellValue value = engine_of(sheet).get(str_argument(slots[0], "cell_id"));
        if (value.is_empty()) Py_RETURN_NONE;
        return display_to_py(value).release();
    });
}

PyObject* get_typed(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.get_typed", kCellId};
        auto slots = bind(kParams, args, nargs, kwnames);
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
        static constexpr Parameters kParams{"Sheet.get_array", kCellId};
        auto slots = bind(kParams, args, nargs, kwnames);
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
        static constexpr Parameters kParams{"Sheet.get_array_typed", kCellId};
        auto slots = bind(kParams, args, nargs, kwnames);
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
        static constexpr Parameters kParams{"Sheet.get_name", kName};
        auto slots = bind(kParams, args, nargs, kwnames);
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
        static constexpr Parameters kParams{"Sheet.spill_at", kCellId};
        auto slots = bind(kParams, args, nargs, kwnames);
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
        static constexpr Parameters kParams{"Sheet.owner_of", kCellId};
        auto slots = bind(kParams, args, nargs, kwnames);
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
        static constexpr Parameters kParams{"Sheet.is_pinned", kCellId};
        auto slots = bind(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        return PyBool_FromLong(engine_of(sheet).is_pinned(str_argument(slots[0], "cell_id")));
    });
}

}  // namespace orvel::python::sheet_method
