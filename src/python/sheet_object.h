// The Python class Sheet: one engine sheet per object, guarded by a borrow flag.
#pragma once

#include "python/borrow.h"
#include "python/py_ref.h"

namespace orvel::python {

struct SheetState;

struct SheetObject {
    PyObject_HEAD
    SheetState* state;  // owned
    BorrowFlag borrow;
};

// The type object, created on first use (once per process); throws PythonError when the
// interpreter refuses to create it.
PyObject* sheet_type();

}  // namespace orvel::python
