// Conversions between engine values and Python objects.
#pragma once

#include "python/py_ref.h"

#include <optional>
#include <string>
#include <string_view>

#include "core/values.h"

namespace orvel::python {

// A number as Python sees it: int when finite, integral and below 2^53 in magnitude (so -0.0
// comes back as 0), else float. New reference, or null with the error set.
PyObject* number_to_py(double number) noexcept;

// {"type_tag": tag, "data": data}.
PyRef custom_dict(std::string_view type_tag, std::string_view data);

// A non-Empty value as a Python object: number, str, bool, error display text, custom dict.
// Empty gives None. Throws PythonError.
PyRef value_to_py(const core::CellValue& value);

// The display text of a value as a str (Empty gives "").
PyRef display_to_py(const core::CellValue& value);

// Any Python object as a cell value: None, bool, number, str, custom dict, then str(object).
// False with the Python error set when the object has no text (its str() fails or is not
// valid text).
bool py_to_value(PyObject* object, core::CellValue& out);

// The bool conversion: a bool, or a NumPy boolean scalar. Ints are refused.
std::optional<bool> bool_of(PyObject* object) noexcept;
// The float conversion: int, float, bool or anything with __float__ / __index__. A failure
// leaves the error indicator clear.
std::optional<double> float_of(PyObject* object) noexcept;

// One typed payload of set_cells_typed: raw text for the engine to classify, or a value kept
// as it is.
struct CellPayload {
    bool raw = false;
    std::string raw_text;
    core::CellValue value;
};

// Reads a payload dict; a bad payload raises ValueError "cell {id}: {error text}".
CellPayload payload_to_input(PyObject* payload, std::string_view cell_id);

}  // namespace orvel::python
