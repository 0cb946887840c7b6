// Text across the boundary: Python str <-> UTF-8 bytes. Embedded NUL survives both ways.
#pragma once

#include "python/errors.h"
#include "python/py_ref.h"

#include <string_view>

namespace orvel::python {

// The UTF-8 of a str (or subclass), valid while `text` lives. Null with the Python error set
// (UnicodeEncodeError for lone surrogates).
inline const char* utf8_or_null(PyObject* text, std::string_view& out) noexcept {
    Py_ssize_t size = 0;
    const char* bytes = PyUnicode_AsUTF8AndSize(text, &size);
    if (bytes) out = std::string_view(bytes, static_cast<std::size_t>(size));
    return bytes;
}

// A new str from engine text; bytes that are not UTF-8 become U+FFFD instead of failing.
inline PyObject* to_str_lossy(std::string_view text) noexcept {
    return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
}

// As `to_str_lossy`, owned; throws PythonError when the interpreter cannot create it.
inline PyRef make_str(std::string_view text) { return checked(to_str_lossy(text)); }

}  // namespace orvel::python
