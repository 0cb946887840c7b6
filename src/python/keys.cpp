#include "python/keys.h"

namespace orvel::python {

namespace {

Keys g_keys{};
bool g_ready = false;

bool intern(PyObject*& slot, const char* text) noexcept {
    slot = PyUnicode_InternFromString(text);
    return slot != nullptr;
}

}  // namespace

bool init_keys() noexcept {
    if (g_ready) return true;
    Keys& k = g_keys;
    const bool ok =
        intern(k.type_tag, "type_tag") && intern(k.data, "data") && intern(k.kind, "kind") &&
        intern(k.value, "value") && intern(k.rows, "rows") && intern(k.cols, "cols") &&
        intern(k.name, "name") && intern(k.aliases, "aliases") &&
        intern(k.category, "category") && intern(k.params, "params") &&
        intern(k.variadic, "variadic") && intern(k.description, "description") &&
        intern(k.examples, "examples") && intern(k.optional, "optional") &&
        intern(k.formula, "formula") && intern(k.result, "result") &&
        intern(k.function, "function") && intern(k.active_param, "active_param") &&
        intern(k.replace_start, "replace_start") && intern(k.replace_end, "replace_end") &&
        intern(k.items, "items") && intern(k.label, "label") && intern(k.insert, "insert") &&
        intern(k.detail, "detail") && intern(k.documentation, "documentation") &&
        intern(k.start, "start") && intern(k.end, "end") && intern(k.text, "text") &&
        intern(k.cells, "cells") && intern(k.row, "row") && intern(k.col, "col") &&
        intern(k.end_col, "end_col") && intern(k.end_row, "end_row") &&
        intern(k.unbounded, "unbounded") && intern(k.normalized, "normalized") &&
        intern(k.parse_literal, "parse_literal") && intern(k.parse_with, "parse_with") &&
        intern(k.display, "display") && intern(k.edit_repr, "edit_repr") &&
        intern(k.binary_op, "binary_op") && intern(k.compare, "compare") &&
        intern(k.as_number, "as_number");
    g_ready = ok;
    return ok;
}

const Keys& keys() noexcept { return g_keys; }

}  // namespace orvel::python
