#include "python/errors.h"

#include "python/text.h"

namespace orvel::python {

PyRef checked(PyObject* object) {
    if (object == nullptr) throw PythonError{};
    return PyRef::steal(object);
}

void raise(PyObject* type, std::string_view message) {
    PyRef text = PyRef::steal(to_str_lossy(message));
    if (text) PyErr_SetObject(type, text.get());
    throw PythonError{};
}

void set_error_from_current_exception() noexcept {
    try {
        throw;
    } catch (const PythonError&) {
        if (!PyErr_Occurred()) {
            PyErr_SetString(PyExc_SystemError, "orvel internal error: error indicator not set");
        }
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& e) {
        std::string message = "orvel internal error: ";
        try {
            message += e.what();
        } catch (...) {
            PyErr_NoMemory();
            return;
        }
        PyErr_SetString(PyExc_SystemError, message.c_str());
    } catch (...) {
        PyErr_SetString(PyExc_SystemError, "orvel internal error: unknown exception");
    }
}

namespace {

// Appends the UTF-8 of `text`, replacing what cannot be encoded (lone surrogates).
void append_lossy(std::string& out, PyObject* text) {
    Py_ssize_t size = 0;
    if (const char* bytes = PyUnicode_AsUTF8AndSize(text, &size)) {
        out.append(bytes, static_cast<std::size_t>(size));
        return;
    }
    PyErr_Clear();
    PyRef encoded = PyRef::steal(PyUnicode_AsEncodedString(text, "utf-8", "replace"));
    if (!encoded) {
        PyErr_Clear();
        return;
    }
    out.append(PyBytes_AS_STRING(encoded.get()),
               static_cast<std::size_t>(PyBytes_GET_SIZE(encoded.get())));
}

}  // namespace

std::string take_error_text() {
    PyRef exception = PyRef::steal(PyErr_GetRaisedException());
    std::string text;
    if (!exception) return text;
    PyRef name = PyRef::steal(PyType_GetQualName(Py_TYPE(exception.get())));
    if (name) {
        append_lossy(text, name.get());
    } else {
        PyErr_Clear();
        text += Py_TYPE(exception.get())->tp_name;
    }
    text += ": ";
    PyRef message = PyRef::steal(PyObject_Str(exception.get()));
    if (message) {
        append_lossy(text, message.get());
    } else {
        PyErr_Clear();
        text += "<exception str() failed>";
    }
    return text;
}

}  // namespace orvel::python
