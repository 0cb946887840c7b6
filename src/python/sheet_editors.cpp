// The Sheet methods for editors and for switching the packages on.
#include "datetime/register.h"
#include "python/arguments.h"
#include "python/catalogue_dicts.h"
#include "python/sheet_access.h"
#include "url/register.h"

namespace orvel::python::sheet_method {

namespace core = orvel::core;

namespace {

constexpr const char* kFormulaCursor[] = {"formula", "cursor"};

}  // namespace

PyObject* complete(PyObject* self, Args args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"Sheet.complete", kFormulaCursor};
        auto slots = bind(kParams, args, nargs, kwnames);
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
        static constexpr Parameters kParams{"Sheet.signature_help", kFormulaCursor};
        auto slots = bind(kParams, args, nargs, kwnames);
        SheetObject& sheet = sheet_of(self);
        SharedBorrow borrow(sheet.borrow);
        std::string_view formula = str_argument(slots[0], "formula");
        const std::size_t cursor = size_argument(slots[1], "cursor");
        return signature_help_to_py(engine_of(sheet).signature_help(formula, cursor)).release();
    });
}

}  // namespace orvel::python::sheet_method
