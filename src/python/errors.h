// Python exceptions from C++: a thrown PythonError means "the Python error indicator is set",
// and `guarded` is the wall every entry point stands behind, so no C++ exception ever unwinds
// into the interpreter.
#pragma once

#include "python/py_ref.h"

#include <exception>
#include <new>
#include <string>
#include <string_view>

namespace orvel::python {

// Thrown after a Python error has been set; carries nothing itself.
struct PythonError {};

// Returns `object` as an owned reference, or throws PythonError when it is null (a failed
// C API call that set the error).
PyRef checked(PyObject* object);

// Sets `type` with `message` and throws PythonError.
[[noreturn]] void raise(PyObject* type, std::string_view message);

// Sets the error for a C++ exception that reached an entry point (the one in flight).
void set_error_from_current_exception() noexcept;

// Runs an entry point's body; every exception becomes a Python error and null.
template <class Body>
PyObject* guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        set_error_from_current_exception();
        return nullptr;
    }
}

// The text an exception becomes inside the engine: "TypeName: message". Takes the current
// Python error (which must be set) and leaves the indicator clear.
std::string take_error_text();

// Clears the error indicator, dropping the exception.
inline void drop_error() noexcept { PyErr_Clear(); }

}  // namespace orvel::python
