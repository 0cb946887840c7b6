#include "python/convert.h"

#include <cmath>
#include <cstring>

#include "python/errors.h"
#include "python/keys.h"
#include "python/text.h"

namespace orvel::python {

namespace core = orvel::core;

PyObject* number_to_py(double number) noexcept {
    constexpr double kTwoTo53 = 9007199254740992.0;
    if (std::isfinite(number) && std::fabs(number) < kTwoTo53 && number == std::trunc(number)) {
        return PyLong_FromLongLong(static_cast<long long>(number));
    }
    return PyFloat_FromDouble(number);
}

PyRef custom_dict(std::string_view type_tag, std::string_view data) {
    PyRef dict = checked(PyDict_New());
    PyRef tag = make_str(type_tag);
    PyRef text = make_str(data);
    if (PyDict_SetItem(dict.get(), keys().type_tag, tag.get()) < 0 ||
        PyDict_SetItem(dict.get(), keys().data, text.get()) < 0) {
        throw PythonError{};
    }
    return dict;
}

PyRef value_to_py(const core::CellValue& value) {
    switch (value.kind()) {
    case core::ValueKind::Number:
        return checked(number_to_py(value.as_double()));
    case core::ValueKind::Text:
        return make_str(value.text_view());
    case core::ValueKind::Boolean:
        return PyRef::borrow(value.as_bool() ? Py_True : Py_False);
    case core::ValueKind::Empty:
        return PyRef::borrow(Py_None);
    case core::ValueKind::Error:
        return make_str(value.display());
    case core::ValueKind::Custom:
        return custom_dict(value.custom_tag(), value.custom_data());
    }
    return PyRef::borrow(Py_None);
}

PyRef display_to_py(const core::CellValue& value) {
    if (value.is_text()) return make_str(value.text_view());
    return make_str(value.display());
}

std::optional<bool> bool_of(PyObject* object) noexcept {
    if (PyBool_Check(object)) return object == Py_True;
    // NumPy's boolean scalars are not bool subclasses; accept them by their type name.
    const char* type_name = Py_TYPE(object)->tp_name;
    if (std::strcmp(type_name, "numpy.bool") == 0 || std::strcmp(type_name, "numpy.bool_") == 0) {
        const int truth = PyObject_IsTrue(object);
        if (truth >= 0) return truth == 1;
        PyErr_Clear();
    }
    return std::nullopt;
}

std::optional<double> float_of(PyObject* object) noexcept {
    if (PyFloat_CheckExact(object)) return PyFloat_AS_DOUBLE(object);
    const double number = PyFloat_AsDouble(object);
    if (number == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        return std::nullopt;
    }
    return number;
}

namespace {

// The text of a str object as a cell value; false with the error set when it is not valid
// text (lone surrogates).
bool text_value(PyObject* text, core::CellValue& out) {
    std::string_view bytes;
    if (!utf8_or_null(text, bytes)) return false;
    out = core::CellValue::text(bytes);
    return true;
}

// Step 5 of the conversion: a dict with str "type_tag" and "data" is a custom value. Returns
// -1 on a failing lookup, 0 when the dict is not a custom value, 1 when `out` was set.
int custom_value_of(PyObject* dict, core::CellValue& out) {
    PyObject* tag = nullptr;
    if (PyDict_GetItemRef(dict, keys().type_tag, &tag) < 0) return -1;
    PyRef tag_ref = PyRef::steal(tag);
    PyObject* data = nullptr;
    if (PyDict_GetItemRef(dict, keys().data, &data) < 0) return -1;
    PyRef data_ref = PyRef::steal(data);
    if (!tag || !data || !PyUnicode_Check(tag) || !PyUnicode_Check(data)) return 0;
    std::string_view tag_text;
    std::string_view data_text;
    if (!utf8_or_null(tag, tag_text) || !utf8_or_null(data, data_text)) {
        // Not valid text: the dict is treated like any other object.
        PyErr_Clear();
        return 0;
    }
    out = core::CellValue::custom(tag_text, data_text);
    return 1;
}

}  // namespace

bool py_to_value(PyObject* object, core::CellValue& out) {
    if (object == Py_None) {
        out = core::CellValue::empty();
        return true;
    }
    if (auto truth = bool_of(object)) {
        out = core::CellValue::boolean(*truth);
        return true;
    }
    if (!PyUnicode_CheckExact(object)) {
        if (auto number = float_of(object)) {
            out = core::CellValue::number(*number);
            return true;
        }
    }
    if (PyUnicode_Check(object)) {
        if (text_value(object, out)) return true;
        PyErr_Clear();
    } else if (PyDict_Check(object)) {
        const int found = custom_value_of(object, out);
        if (found < 0) return false;
        if (found > 0) return true;
    }
    PyRef text = PyRef::steal(PyObject_Str(object));
    return text && text_value(text.get(), out);
}

namespace {

[[noreturn]] void raise_payload(std::string_view message) { raise(PyExc_ValueError, message); }

// A str entry of a payload; the messages name the kind and the key.
std::string payload_str(PyObject* payload, std::string_view kind, PyObject* key,
                        std::string_view key_name) {
    PyObject* item = nullptr;
    if (PyDict_GetItemRef(payload, key, &item) < 0) throw PythonError{};
    PyRef owned = PyRef::steal(item);
    if (!item) {
        raise_payload(std::string(kind) + ": missing key `" + std::string(key_name) + "`");
    }
    if (!PyUnicode_Check(item)) {
        raise_payload(std::string(kind) + ": `" + std::string(key_name) + "` must be str");
    }
    std::string_view text;
    if (!utf8_or_null(item, text)) throw PythonError{};
    return std::string(text);
}

// The payload's "value" entry, or a ValueError naming the kind.
PyRef payload_value(PyObject* payload, std::string_view kind) {
    PyObject* item = nullptr;
    if (PyDict_GetItemRef(payload, keys().value, &item) < 0) throw PythonError{};
    if (!item) raise_payload(std::string(kind) + ": missing key `value`");
    return PyRef::steal(item);
}

CellPayload read_payload(PyObject* payload) {
    if (!PyDict_Check(payload)) raise_payload("payload must be a dict");
    PyObject* kind_object = nullptr;
    if (PyDict_GetItemRef(payload, keys().kind, &kind_object) < 0) throw PythonError{};
    PyRef kind_ref = PyRef::steal(kind_object);
    if (!kind_object) raise_payload("missing key `kind`");
    if (!PyUnicode_Check(kind_object)) raise_payload("`kind` must be str");
    std::string_view kind;
    if (!utf8_or_null(kind_object, kind)) throw PythonError{};

    CellPayload out;
    if (kind == "raw") {
        out.raw = true;
        out.raw_text = payload_str(payload, kind, keys().value, "value");
    } else if (kind == "empty") {
        out.raw = true;
    } else if (kind == "string") {
        out.value = core::CellValue::text(payload_str(payload, kind, keys().value, "value"));
    } else if (kind == "number") {
        PyRef value = payload_value(payload, kind);
        auto number = float_of(value.get());
        if (!number) raise_payload("number: `value` must be numeric");
        out.value = core::CellValue::number(*number);
    } else if (kind == "boolean") {
        PyRef value = payload_value(payload, kind);
        auto truth = bool_of(value.get());
        if (!truth) raise_payload("boolean: `value` must be bool");
        out.value = core::CellValue::boolean(*truth);
    } else if (kind == "custom") {
        std::string tag = payload_str(payload, kind, keys().type_tag, "type_tag");
        std::string data = payload_str(payload, kind, keys().data, "data");
        out.value = core::CellValue::custom(tag, data);
    } else {
        raise_payload("unknown kind `" + std::string(kind) + "`");
    }
    return out;
}

}  // namespace

CellPayload payload_to_input(PyObject* payload, std::string_view cell_id) {
    try {
        return read_payload(payload);
    } catch (const PythonError&) {
        std::string message = "cell " + std::string(cell_id) + ": " + take_error_text();
        raise(PyExc_ValueError, message);
    }
}

}  // namespace orvel::python
