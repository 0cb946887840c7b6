// The methods of the Sheet class and the engine state behind each object.
#pragma once

#include "python/py_ref.h"

namespace orvel::python {

struct SheetState;

SheetState* new_sheet_state();
void delete_sheet_state(SheetState* state) noexcept;
int traverse_sheet_state(const SheetState& state, visitproc visit, void* arg);
void clear_sheet_state(SheetState& state);

// The class's method table, in the class's method order.
PyMethodDef* sheet_method_table();

}  // namespace orvel::python
