#include "python/sheet_methods.h"

namespace orvel::python {

struct SheetState {};

SheetState* new_sheet_state() { return new SheetState(); }
void delete_sheet_state(SheetState* state) noexcept { delete state; }
int traverse_sheet_state(const SheetState&, visitproc, void*) { return 0; }
void clear_sheet_state(SheetState&) {}

namespace {

PyMethodDef g_methods[] = {
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

PyMethodDef* sheet_method_table() { return g_methods; }

}  // namespace orvel::python
