#include "python/sheet_methods.h"

#include "python/arguments.h"
#include "python/docstrings.h"
#include "python/python_extensions.h"
#include "python/sheet_access.h"

namespace orvel::python {

SheetState* new_sheet_state() { return new SheetState(); }
void delete_sheet_state(SheetState* state) noexcept { delete state; }

int traverse_sheet_state(const SheetState& state, visitproc visit, void* arg) {
    return traverse_registry(state.engine.registry(), visit, arg);
}

void clear_sheet_state(SheetState& state) { clear_registry(state.engine.registry()); }

namespace {

using namespace sheet_method;

PyMethodDef g_methods[] = {
    {"set_cells", as_cfunction(set_cells), kFastCall, kSheetSetCellsDoc},
    {"set_cells_typed", as_cfunction(set_cells_typed), kFastCall, kSheetSetCellsTypedDoc},
    {"try_parse", as_cfunction(try_parse), kFastCall, kSheetTryParseDoc},
    {"get", as_cfunction(get), kFastCall, kSheetGetDoc},
    {"get_all", get_all, METH_NOARGS, kSheetGetAllDoc},
    {"get_typed", as_cfunction(get_typed), kFastCall, kSheetGetTypedDoc},
    {"get_all_typed", get_all_typed, METH_NOARGS, kSheetGetAllTypedDoc},
    {"get_array_typed", as_cfunction(get_array_typed), kFastCall, kSheetGetArrayTypedDoc},
    {"set_name", as_cfunction(set_name), kFastCall, kSheetSetNameDoc},
    {"remove_name", as_cfunction(remove_name), kFastCall, kSheetRemoveNameDoc},
    {"get_name", as_cfunction(get_name), kFastCall, kSheetGetNameDoc},
    {"names", names, METH_NOARGS, kSheetNamesDoc},
    {"spill_at", as_cfunction(spill_at), kFastCall, kSheetSpillAtDoc},
    {"owner_of", as_cfunction(owner_of), kFastCall, kSheetOwnerOfDoc},
    {"get_array", as_cfunction(get_array), kFastCall, kSheetGetArrayDoc},
    {"pin_value", as_cfunction(pin_value), kFastCall, kSheetPinValueDoc},
    {"unpin_value", as_cfunction(unpin_value), kFastCall, kSheetUnpinValueDoc},
    {"pinned_cells", pinned_cells, METH_NOARGS, kSheetPinnedCellsDoc},
    {"is_pinned", as_cfunction(is_pinned), kFastCall, kSheetIsPinnedDoc},
    {"register_type", as_cfunction(register_type), kFastCall, kSheetRegisterTypeDoc},
    {"register_function", as_cfunction(register_function), kFastCall, kSheetRegisterFunctionDoc},
    {"complete", as_cfunction(complete), kFastCall, kSheetCompleteDoc},
    {"register_datetime", register_datetime, METH_NOARGS, kSheetRegisterDatetimeDoc},
    {"register_url", register_url, METH_NOARGS, kSheetRegisterUrlDoc},
    {"list_functions", list_functions, METH_NOARGS, kSheetListFunctionsDoc},
    {"signature_help", as_cfunction(signature_help), kFastCall, kSheetSignatureHelpDoc},
    {nullptr, nullptr, 0, nullptr},
};


}  // namespace

PyMethodDef* sheet_method_table() { return g_methods; }

}  // namespace orvel::python
