// The module's init function: the module, then the class Sheet, then the 19 functions in
// table order, each name appended to __all__ as it is added.
#include "python/arguments.h"
#include "python/docstrings.h"
#include "python/errors.h"
#include "python/keys.h"
#include "python/module_functions.h"
#include "python/sheet_object.h"

namespace orvel::python {

namespace {

PyMethodDef g_functions[] = {
    {"evaluate", as_cfunction(py_evaluate), kFastCall, kEvaluateDoc},
    {"extract_refs", as_cfunction(py_extract_refs), kFastCall, kExtractRefsDoc},
    {"formula_tokens", as_cfunction(py_formula_tokens), kFastCall, kFormulaTokensDoc},
    {"rewrite_refs_for_deletion", as_cfunction(py_rewrite_refs_for_deletion), kFastCall,
     kRewriteRefsForDeletionDoc},
    {"adjust_refs_for_deletion", as_cfunction(py_adjust_refs_for_deletion), kFastCall,
     kAdjustRefsForDeletionDoc},
    {"adjust_refs_for_insertion", as_cfunction(py_adjust_refs_for_insertion), kFastCall,
     kAdjustRefsForInsertionDoc},
    {"adjust_refs_for_column_block_move", as_cfunction(py_adjust_refs_for_column_block_move),
     kFastCall, kAdjustRefsForColumnBlockMoveDoc},
    {"adjust_refs_for_column_block_move_data_following",
     as_cfunction(py_adjust_refs_for_column_block_move_data_following), kFastCall,
     kAdjustRefsForColumnBlockMoveDataFollowingDoc},
    {"adjust_refs_for_row_block_move", as_cfunction(py_adjust_refs_for_row_block_move), kFastCall,
     kAdjustRefsForRowBlockMoveDoc},
    {"adjust_refs_for_row_block_move_data_following",
     as_cfunction(py_adjust_refs_for_row_block_move_data_following), kFastCall,
     kAdjustRefsForRowBlockMoveDataFollowingDoc},
    {"shift_formula_refs", as_cfunction(py_shift_formula_refs), kFastCall, kShiftFormulaRefsDoc},
    {"parse_range", as_cfunction(py_parse_range), kFastCall, kParseRangeDoc},
    {"is_unbounded_range", as_cfunction(py_is_unbounded_range), kFastCall, kIsUnboundedRangeDoc},
    {"parse_cell_id", as_cfunction(py_parse_cell_id), kFastCall, kParseCellIdDoc},
    {"col_to_index", as_cfunction(py_col_to_index), kFastCall, kColToIndexDoc},
    {"index_to_col", as_cfunction(py_index_to_col), kFastCall, kIndexToColDoc},
    {"cell_id", as_cfunction(py_cell_id), kFastCall, kCellIdDoc},
    {"list_functions", py_list_functions, METH_NOARGS, kListFunctionsDoc},
    {"signature_help", as_cfunction(py_signature_help), kFastCall, kSignatureHelpDoc},
};

PyModuleDef g_module = {
    PyModuleDef_HEAD_INIT, "orvel", kModuleDoc, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
};

// The interpreter that first imported the module; the type object and the interned keys
// belong to it, so no other interpreter may import the module.
PyInterpreterState* g_owner = nullptr;

// Sets the attribute and appends the name to __all__ (created by the first addition).
void add_exported(PyObject* module, PyRef& all, const char* name, PyObject* object) {
    if (!all) {
        all = checked(PyList_New(0));
        if (PyModule_AddObjectRef(module, "__all__", all.get()) < 0) throw PythonError{};
    }
    if (PyModule_AddObjectRef(module, name, object) < 0) throw PythonError{};
    PyRef name_object = checked(PyUnicode_FromString(name));
    if (PyList_Append(all.get(), name_object.get()) < 0) throw PythonError{};
}

PyRef create_module() {
    PyInterpreterState* current = PyInterpreterState_Get();
    if (g_owner != nullptr && g_owner != current) {
        raise(PyExc_ImportError, "orvel does not support sub-interpreters");
    }
    g_owner = current;
    if (!init_keys()) throw PythonError{};
    PyRef module = checked(PyModule_Create(&g_module));
    PyRef all;
    add_exported(module.get(), all, "Sheet", sheet_type());
    PyRef module_name = checked(PyUnicode_FromString("orvel"));
    for (PyMethodDef& def : g_functions) {
        PyRef function = checked(PyCFunction_NewEx(&def, module.get(), module_name.get()));
        add_exported(module.get(), all, def.ml_name, function.get());
    }
    return module;
}

}  // namespace

}  // namespace orvel::python

PyMODINIT_FUNC PyInit_orvel() {
    return orvel::python::guarded([] { return orvel::python::create_module().release(); });
}
