#include "python/catalogue_dicts.h"

#include "python/errors.h"
#include "python/keys.h"
#include "python/text.h"

namespace orvel::python {

namespace core = orvel::core;

namespace {

void set_item(PyObject* dict, PyObject* key, PyRef value) {
    if (PyDict_SetItem(dict, key, value.get()) < 0) throw PythonError{};
}

PyRef bool_to_py(bool value) { return PyRef::borrow(value ? Py_True : Py_False); }

PyRef size_to_py(std::size_t value) { return checked(PyLong_FromSize_t(value)); }

PyRef optional_text(const std::optional<std::string>& text) {
    return text ? make_str(*text) : PyRef::borrow(Py_None);
}

template <class T, class Convert>
PyRef list_of(const std::vector<T>& items, Convert convert) {
    PyRef list = checked(PyList_New(static_cast<Py_ssize_t>(items.size())));
    for (std::size_t i = 0; i < items.size(); ++i) {
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), convert(items[i]).release());
    }
    return list;
}

PyRef param_info_to_py(const core::ParamInfo& param) {
    PyRef dict = checked(PyDict_New());
    set_item(dict.get(), keys().name, make_str(param.name));
    set_item(dict.get(), keys().optional, bool_to_py(param.optional));
    set_item(dict.get(), keys().description, make_str(param.description));
    return dict;
}

PyRef example_info_to_py(const core::ExampleInfo& example) {
    PyRef dict = checked(PyDict_New());
    set_item(dict.get(), keys().formula, make_str(example.formula));
    set_item(dict.get(), keys().result, make_str(example.result));
    return dict;
}

PyRef completion_item_to_py(const core::CompletionItem& item) {
    // The kind texts are the same words as two of the dict keys.
    PyObject* kind = item.kind == core::CompletionKind::Function ? keys().function : keys().name;
    PyRef dict = checked(PyDict_New());
    set_item(dict.get(), keys().kind, PyRef::borrow(kind));
    set_item(dict.get(), keys().label, make_str(item.label));
    set_item(dict.get(), keys().insert, make_str(item.insert));
    set_item(dict.get(), keys().detail, optional_text(item.detail));
    set_item(dict.get(), keys().documentation, optional_text(item.documentation));
    return dict;
}

}  // namespace

PyRef function_info_to_py(const core::FunctionInfo& info) {
    PyRef dict = checked(PyDict_New());
    set_item(dict.get(), keys().name, make_str(info.name));
    set_item(dict.get(), keys().aliases,
             list_of(info.aliases, [](const std::string& alias) { return make_str(alias); }));
    set_item(dict.get(), keys().category, make_str(info.category));
    set_item(dict.get(), keys().params, list_of(info.params, param_info_to_py));
    set_item(dict.get(), keys().variadic,
             info.variadic ? param_info_to_py(*info.variadic) : PyRef::borrow(Py_None));
    set_item(dict.get(), keys().description, make_str(info.description));
    set_item(dict.get(), keys().examples, list_of(info.examples, example_info_to_py));
    return dict;
}

PyRef function_list_to_py(const std::vector<core::FunctionInfo>& functions) {
    return list_of(functions, function_info_to_py);
}

PyRef signature_help_to_py(const std::optional<core::SignatureHelp>& help) {
    if (!help) return PyRef::borrow(Py_None);
    PyRef dict = checked(PyDict_New());
    set_item(dict.get(), keys().function, function_info_to_py(help->function));
    set_item(dict.get(), keys().active_param, size_to_py(help->active_param));
    return dict;
}

PyRef completion_to_py(const core::CompletionList& completion) {
    PyRef dict = checked(PyDict_New());
    set_item(dict.get(), keys().replace_start, size_to_py(completion.replace_start));
    set_item(dict.get(), keys().replace_end, size_to_py(completion.replace_end));
    set_item(dict.get(), keys().items, list_of(completion.items, completion_item_to_py));
    return dict;
}

}  // namespace orvel::python
