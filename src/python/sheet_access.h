// What the Sheet class's method files share: the engine state behind each object and the
// entry points the method table lists.
#pragma once

#include <string>

#include "core/sheet.h"
#include "python/errors.h"
#include "python/sheet_object.h"

namespace orvel::python {

struct SheetState {
    core::Sheet engine;
};

inline SheetObject& sheet_of(PyObject* self) { return *reinterpret_cast<SheetObject*>(self); }
inline core::Sheet& engine_of(SheetObject& sheet) { return sheet.state->engine; }

// An error record of the engine, raised with its display text.
[[noreturn]] inline void raise_engine_error(const std::string& display) {
    raise(PyExc_ValueError, display);
}

namespace sheet_method {

using Args = PyObject* const*;

// Writing (exclusive borrow).
PyObject* set_cells(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* set_cells_typed(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* set_name(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* remove_name(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* pin_value(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* unpin_value(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* register_type(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* register_function(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* register_datetime(PyObject* self, PyObject*);
PyObject* register_url(PyObject* self, PyObject*);

// Reading (shared borrow).
PyObject* try_parse(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* get(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* get_typed(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* get_all(PyObject* self, PyObject*);
PyObject* get_all_typed(PyObject* self, PyObject*);
PyObject* get_array(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* get_array_typed(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* get_name(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* names(PyObject* self, PyObject*);
PyObject* spill_at(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* owner_of(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* pinned_cells(PyObject* self, PyObject*);
PyObject* is_pinned(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* complete(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* list_functions(PyObject* self, PyObject*);
PyObject* signature_help(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames);

}  // namespace sheet_method

}  // namespace orvel::python
