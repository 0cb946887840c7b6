#include "python/sheet_object.h"

#include "python/docstrings.h"
#include "python/errors.h"
#include "python/sheet_methods.h"

namespace orvel::python {

namespace {

PyObject* sheet_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    return guarded([&]() -> PyObject* {
        if (PyTuple_GET_SIZE(args) != 0 || (kwargs != nullptr && PyDict_GET_SIZE(kwargs) != 0)) {
            raise(PyExc_TypeError, "Sheet() takes no arguments");
        }
        SheetState* state = new_sheet_state();
        PyObject* self = type->tp_alloc(type, 0);
        if (self == nullptr) {
            delete_sheet_state(state);
            return nullptr;
        }
        auto* sheet = reinterpret_cast<SheetObject*>(self);
        sheet->state = state;
        sheet->borrow = 0;
        return self;
    });
}

void sheet_dealloc(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    PyObject_GC_UnTrack(self);
    auto* sheet = reinterpret_cast<SheetObject*>(self);
    delete_sheet_state(sheet->state);
    sheet->state = nullptr;
    type->tp_free(self);
    Py_DECREF(type);
}

int sheet_traverse(PyObject* self, visitproc visit, void* arg) {
    Py_VISIT(Py_TYPE(self));
    auto* sheet = reinterpret_cast<SheetObject*>(self);
    return sheet->state ? traverse_sheet_state(*sheet->state, visit, arg) : 0;
}

int sheet_clear(PyObject* self) {
    auto* sheet = reinterpret_cast<SheetObject*>(self);
    if (sheet->state) clear_sheet_state(*sheet->state);
    return 0;
}

PyObject* g_type = nullptr;

}  // namespace

PyObject* sheet_type() {
    if (g_type != nullptr) return g_type;
    PyType_Slot slots[] = {
        {Py_tp_doc, const_cast<char*>(kSheetClassDoc)},
        {Py_tp_new, reinterpret_cast<void*>(sheet_new)},
        {Py_tp_dealloc, reinterpret_cast<void*>(sheet_dealloc)},
        {Py_tp_traverse, reinterpret_cast<void*>(sheet_traverse)},
        {Py_tp_clear, reinterpret_cast<void*>(sheet_clear)},
        {Py_tp_methods, sheet_method_table()},
        {0, nullptr},
    };
    // No Py_TPFLAGS_BASETYPE: the class cannot be subclassed.
    PyType_Spec description = {"builtins.Sheet", static_cast<int>(sizeof(SheetObject)), 0,
                               Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC, slots};
    g_type = PyType_FromSpec(&description);
    if (g_type == nullptr) {
        PyErr_Print();
        raise(PyExc_SystemError, "orvel internal error: failed to create type object for Sheet");
    }
    return g_type;
}

}  // namespace orvel::python
