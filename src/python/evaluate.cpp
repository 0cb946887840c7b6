// The one-shot evaluation: no sheet, every cell Empty, built-in functions only.
#include "core/eval.h"
#include "python/arguments.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/module_functions.h"

namespace orvel::python {

namespace {
constexpr const char* kFormula[] = {"formula"};
}  // namespace

PyObject* py_evaluate(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded([&]() -> PyObject* {
        static constexpr Parameters kParams{"evaluate", kFormula};
        auto slots = bind(kParams, args, nargs, kwnames);
        auto result = core::evaluate_one_shot(str_argument(slots[0], "formula"));
        if (!result) raise(PyExc_ValueError, result.error().display());
        if (result->is_empty()) Py_RETURN_NONE;
        return display_to_py(*result).release();
    });
}

}  // namespace orvel::python
