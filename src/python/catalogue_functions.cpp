// The module's catalogue functions: the built-in functions only.
#include "core/catalogue.h"
#include "core/complete.h"
#include "python/arguments.h"
#include "python/catalogue_dicts.h"
#include "python/errors.h"
#include "python/module_functions.h"

namespace orvel::python {

namespace {
constexpr const char* kFormulaCursor[] = {"formula", "cursor"};
}  // namespace

PyObject* py_list_functions(PyObject*, PyObject*) {
    return guarded([&]() -> PyObject* {
        return function_list_to_py(core::list_functions()).release();
    });
}

PyObject* py_signature_help(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                            PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"signature_help", kFormulaCursor};
        auto slots = bind(kParams, args, nargs, kwnames);
        std::string_view formula = str_argument(slots[0], "formula");
        const std::size_t cursor = size_argument(slots[1], "cursor");
        return signature_help_to_py(core::signature_help(formula, cursor)).release();
    });
}

}  // namespace orvel::python
