#include "python/module_functions.h"

#include "python/arguments.h"
#include "python/errors.h"

namespace orvel::python {

namespace {

[[noreturn]] void not_built(const char* name) {
    raise(PyExc_NotImplementedError, std::string(name) + " is not available yet");
}

constexpr const char* kFormula[] = {"formula"};
constexpr const char* kCursor[] = {"formula", "cursor"};

}  // namespace

PyObject* py_list_functions(PyObject*, PyObject*) {
    return guarded([&]() -> PyObject* { not_built("list_functions"); });
}

PyObject* py_signature_help(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                            PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"signature_help", kCursor, 2, 2};
        auto slots = bind<2>(kParams, args, nargs, kwnames);
        str_argument(slots[0], "formula");
        size_argument(slots[1], "cursor");
        not_built("signature_help");
    });
}

}  // namespace orvel::python
