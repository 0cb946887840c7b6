// Interned strings the module uses as dict keys, attribute names and fixed texts, made once so
// hot loops never build them per item.
#pragma once

#include "python/py_ref.h"

namespace orvel::python {

struct Keys {
    // Value and payload dicts.
    PyObject* type_tag;
    PyObject* data;
    PyObject* kind;
    PyObject* value;
    PyObject* rows;
    PyObject* cols;
    // Catalogue dicts.
    PyObject* name;
    PyObject* aliases;
    PyObject* category;
    PyObject* params;
    PyObject* variadic;
    PyObject* description;
    PyObject* examples;
    PyObject* optional;
    PyObject* formula;
    PyObject* result;
    PyObject* function;
    PyObject* active_param;
    // Completion dicts.
    PyObject* replace_start;
    PyObject* replace_end;
    PyObject* items;
    PyObject* label;
    PyObject* insert;
    PyObject* detail;
    PyObject* documentation;
    // Text-service dicts.
    PyObject* start;
    PyObject* end;
    PyObject* text;
    PyObject* cells;
    PyObject* row;
    PyObject* col;
    PyObject* end_col;
    PyObject* end_row;
    PyObject* unbounded;
    PyObject* normalized;
    // Handler protocol attributes, in the order they are read at registration.
    PyObject* parse_literal;
    PyObject* parse_with;
    PyObject* display;
    PyObject* edit_repr;
    PyObject* binary_op;
    PyObject* compare;
    PyObject* as_number;
};

// Creates the strings (once per process); false with the Python error set on failure.
bool init_keys() noexcept;
const Keys& keys() noexcept;

}  // namespace orvel::python
