// The module's 19 functions, as CPython calls them (fast call with keywords, except
// list_functions, which takes no arguments).
#pragma once

#include "python/py_ref.h"

namespace orvel::python {

using FastFunction = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

PyObject* py_evaluate(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_extract_refs(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_formula_tokens(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_rewrite_refs_for_deletion(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_adjust_refs_for_deletion(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_adjust_refs_for_insertion(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_adjust_refs_for_column_block_move(PyObject*, PyObject* const*, Py_ssize_t,
                                               PyObject*);
PyObject* py_adjust_refs_for_column_block_move_data_following(PyObject*, PyObject* const*,
                                                              Py_ssize_t, PyObject*);
PyObject* py_adjust_refs_for_row_block_move(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_adjust_refs_for_row_block_move_data_following(PyObject*, PyObject* const*,
                                                           Py_ssize_t, PyObject*);
PyObject* py_shift_formula_refs(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_parse_range(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_is_unbounded_range(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_parse_cell_id(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_col_to_index(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_index_to_col(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_cell_id(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_list_functions(PyObject*, PyObject*);
PyObject* py_signature_help(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

}  // namespace orvel::python
