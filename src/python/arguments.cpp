#include "python/arguments.h"

#include <string>

#include "python/errors.h"
#include "python/text.h"

namespace orvel::python {

namespace {

std::string call_prefix(const Signature& signature) {
    return std::string(signature.function) + "() ";
}

// 'a'; 'a' and 'b'; 'a', 'b', and 'c' (as CPython lists missing parameters).
std::string quoted_list(const std::vector<const char*>& names) {
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            if (names.size() > 2) out += ",";
            out += i + 1 == names.size() ? " and " : " ";
        }
        out += '\'';
        out += names[i];
        out += '\'';
    }
    return out;
}

[[noreturn]] void raise_too_many_positional(const Signature& signature, Py_ssize_t given) {
    std::string message = call_prefix(signature) + "takes ";
    if (signature.required < signature.count) {
        message += "from " + std::to_string(signature.required) + " to " +
                   std::to_string(signature.count) + " positional arguments";
    } else {
        message += std::to_string(signature.count) + " positional argument";
        if (signature.count != 1) message += "s";
    }
    message += " but " + std::to_string(given) + (given == 1 ? " was" : " were") + " given";
    raise(PyExc_TypeError, message);
}

[[noreturn]] void raise_keyword_error(const Signature& signature, const char* what,
                                      PyObject* keyword) {
    std::string_view name;
    if (!utf8_or_null(keyword, name)) throw PythonError{};
    raise(PyExc_TypeError, call_prefix(signature) + what + " '" + std::string(name) + "'");
}

std::size_t find_parameter(const Signature& signature, PyObject* keyword) {
    for (std::size_t i = 0; i < signature.count; ++i) {
        if (PyUnicode_EqualToUTF8(keyword, signature.names[i])) return i;
    }
    return signature.count;
}

}  // namespace

void bind_arguments(const Signature& signature, PyObject* const* args, Py_ssize_t nargs,
                    PyObject* kwnames, PyObject** slots) {
    if (signature.required > signature.count) {
        throw core::InternalError("more required parameters than parameters");
    }
    const auto count = static_cast<Py_ssize_t>(signature.count);
    for (Py_ssize_t i = 0; i < nargs && i < count; ++i) slots[i] = args[i];
    if (kwnames != nullptr) {
        const Py_ssize_t keywords = PyTuple_GET_SIZE(kwnames);
        for (Py_ssize_t k = 0; k < keywords; ++k) {
            PyObject* keyword = PyTuple_GET_ITEM(kwnames, k);
            const std::size_t index = find_parameter(signature, keyword);
            if (index == signature.count) {
                raise_keyword_error(signature, "got an unexpected keyword argument", keyword);
            }
            if (slots[index] != nullptr) {
                raise_keyword_error(signature, "got multiple values for argument", keyword);
            }
            slots[index] = args[nargs + k];
        }
    }
    if (nargs > count) raise_too_many_positional(signature, nargs);
    std::vector<const char*> missing;
    for (std::size_t i = 0; i < signature.required; ++i) {
        if (slots[i] == nullptr) missing.push_back(signature.names[i]);
    }
    if (!missing.empty()) {
        std::string message = call_prefix(signature) + "missing " +
                              std::to_string(missing.size()) + " required positional argument" +
                              (missing.size() == 1 ? ": " : "s: ") + quoted_list(missing);
        raise(PyExc_TypeError, message);
    }
}

void raise_argument_type(const char* name, const char* what, PyObject* value) {
    std::string message = std::string("argument '") + name + "': expected " + what + ", got " +
                          Py_TYPE(value)->tp_name;
    raise(PyExc_TypeError, message);
}

std::string_view str_argument(PyObject* value, const char* name) {
    if (!PyUnicode_Check(value)) raise_argument_type(name, "str", value);
    std::string_view text;
    if (!utf8_or_null(value, text)) throw PythonError{};
    return text;
}

namespace {

// The int value of an int or an object with __index__ (floats refused, as CPython does).
PyRef index_of(PyObject* value, const char* name) {
    if (PyLong_Check(value)) return PyRef::borrow(value);
    PyRef index = PyRef::steal(PyNumber_Index(value));
    if (!index) {
        if (PyErr_ExceptionMatches(PyExc_TypeError)) {
            PyErr_Clear();
            std::string message = std::string("argument '") + name + "': '" +
                                  Py_TYPE(value)->tp_name +
                                  "' object cannot be interpreted as an integer";
            raise(PyExc_TypeError, message);
        }
        throw PythonError{};
    }
    return index;
}

[[noreturn]] void raise_out_of_range(const char* name, const char* what) {
    raise(PyExc_OverflowError, std::string("argument '") + name + "': " + what);
}

unsigned long long unsigned_value(PyObject* value, const char* name, unsigned long long max,
                                  const char* too_large) {
    PyRef index = index_of(value, name);
    int overflow = 0;
    const long long number = PyLong_AsLongLongAndOverflow(index.get(), &overflow);
    if (number == -1 && PyErr_Occurred()) throw PythonError{};
    if (overflow < 0 || (overflow == 0 && number < 0)) {
        raise_out_of_range(name, "can't convert negative int to unsigned");
    }
    if (overflow > 0) {
        const unsigned long long big = PyLong_AsUnsignedLongLong(index.get());
        if (big == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
            PyErr_Clear();
            raise_out_of_range(name, too_large);
        }
        if (big > max) raise_out_of_range(name, too_large);
        return big;
    }
    const auto result = static_cast<unsigned long long>(number);
    if (result > max) raise_out_of_range(name, too_large);
    return result;
}

}  // namespace

std::uint32_t u32_argument(PyObject* value, const char* name) {
    return static_cast<std::uint32_t>(
        unsigned_value(value, name, UINT32_MAX, "int too large for an unsigned 32-bit integer"));
}

std::size_t size_argument(PyObject* value, const char* name) {
    return static_cast<std::size_t>(
        unsigned_value(value, name, SIZE_MAX, "int too large for a pointer-sized integer"));
}

std::int32_t i32_argument(PyObject* value, const char* name) {
    PyRef index = index_of(value, name);
    int overflow = 0;
    const long long number = PyLong_AsLongLongAndOverflow(index.get(), &overflow);
    if (number == -1 && PyErr_Occurred()) throw PythonError{};
    if (overflow != 0 || number < INT32_MIN || number > INT32_MAX) {
        raise_out_of_range(name, "int out of range for a signed 32-bit integer");
    }
    return static_cast<std::int32_t>(number);
}

PyRef sequence_snapshot(PyObject* value, const char* name) {
    if (PyUnicode_Check(value)) {
        raise(PyExc_TypeError, std::string("argument '") + name +
                                   "': Can't extract `str` to `Vec`");
    }
    if (PyTuple_CheckExact(value)) return PyRef::borrow(value);
    if (!PySequence_Check(value)) raise_argument_type(name, "a sequence", value);
    return checked(PySequence_Tuple(value));
}

std::vector<std::uint32_t> u32_list_argument(PyObject* value, const char* name) {
    std::vector<std::uint32_t> out;
    if (value == nullptr || value == Py_None) return out;
    PyRef items = sequence_snapshot(value, name);
    const Py_ssize_t size = PyTuple_GET_SIZE(items.get());
    out.reserve(static_cast<std::size_t>(size));
    for (Py_ssize_t i = 0; i < size; ++i) {
        out.push_back(u32_argument(PyTuple_GET_ITEM(items.get(), i), name));
    }
    return out;
}

}  // namespace orvel::python
