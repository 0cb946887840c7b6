// Argument matching and extraction for fast-call entry points, with CPython's own texts for
// missing, surplus, duplicate and unknown arguments, and "argument 'name': reason" for values
// that do not convert. Every function throws PythonError with the error set.
#pragma once

#include "python/py_ref.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/values.h"

namespace orvel::python {

// A function's parameters as CPython names them in messages ("evaluate", "Sheet.get"); the
// first `required` have no default.
template <std::size_t N>
struct Parameters {
    const char* function;
    const char* const (&names)[N];
    std::size_t required = N;
};

// The same, without the count in its type.
struct Signature {
    const char* function;
    const char* const* names;
    std::size_t count;
    std::size_t required;
};

// Method-table entries: fast-call functions with keywords, stored as CPython's PyCFunction.
inline constexpr int kFastCall = METH_FASTCALL | METH_KEYWORDS;

template <class Function>
PyCFunction as_cfunction(Function function) {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

// Matches positional and keyword arguments to parameters; a slot left null was not given.
void bind_arguments(const Signature& signature, PyObject* const* args, Py_ssize_t nargs,
                    PyObject* kwnames, PyObject** slots);

// The arguments of one call, by parameter index; null where one was not given. An index past
// the last parameter is an internal error rather than a read past the end.
template <std::size_t N>
class BoundArguments {
public:
    PyObject* operator[](std::size_t index) const {
        if (index >= N) throw core::InternalError("argument index out of range");
        return slots_[index];
    }
    PyObject** data() noexcept { return slots_.data(); }

private:
    std::array<PyObject*, N> slots_{};
};

template <std::size_t N>
BoundArguments<N> bind(const Parameters<N>& parameters, PyObject* const* args, Py_ssize_t nargs,
                       PyObject* kwnames) {
    BoundArguments<N> slots;
    bind_arguments({parameters.function, parameters.names, N, parameters.required}, args, nargs,
                   kwnames, slots.data());
    return slots;
}

// The UTF-8 of a str argument, valid while `value` lives. Lone surrogates raise
// UnicodeEncodeError.
std::string_view str_argument(PyObject* value, const char* name);
std::uint32_t u32_argument(PyObject* value, const char* name);
std::int32_t i32_argument(PyObject* value, const char* name);
std::size_t size_argument(PyObject* value, const char* name);

// A sequence argument read through an owned snapshot: user code run while its items convert
// cannot free them. A str is refused ("Can't extract `str` to `Vec`").
PyRef sequence_snapshot(PyObject* value, const char* name);

// A sequence of unsigned 32-bit ints, or None / not given for an empty list.
std::vector<std::uint32_t> u32_list_argument(PyObject* value, const char* name);

// TypeError "argument 'name': expected {what}, got {type}".
[[noreturn]] void raise_argument_type(const char* name, const char* what, PyObject* value);

}  // namespace orvel::python
