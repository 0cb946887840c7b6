#include "python/python_extensions.h"

#include "core/limits.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/keys.h"
#include "python/text.h"

namespace orvel::python {

namespace core = orvel::core;

namespace {

// Nesting of callbacks on this thread (sheet A's callback changing sheet B, whose callback
// changes A again, ...).
thread_local int t_callback_depth = 0;

// Holds the interpreter lock (re-entrantly) and one level of callback depth for one call into
// Python. When the depth is exhausted, `entered()` is false and RecursionError is set. Every
// call counts as observable: Python code may see how often it runs.
class CallbackScope {
public:
    CallbackScope() : gil_(PyGILState_Ensure()) {
        core::ObservableCalls::note();
        ++t_callback_depth;
        if (t_callback_depth > core::kMaxCallbackDepth) {
            PyErr_SetString(PyExc_RecursionError,
                            "maximum recursion depth exceeded in an orvel callback");
        } else {
            entered_ = Py_EnterRecursiveCall(" in an orvel callback") == 0;
        }
    }
    ~CallbackScope() {
        if (entered_) Py_LeaveRecursiveCall();
        --t_callback_depth;
        PyGILState_Release(gil_);
    }
    CallbackScope(const CallbackScope&) = delete;
    CallbackScope& operator=(const CallbackScope&) = delete;

    bool entered() const noexcept { return entered_; }

private:
    PyGILState_STATE gil_;
    bool entered_ = false;
};

void release_reference(PyObject*& object) noexcept {
    if (object == nullptr) return;
    // Engine objects die under the interpreter lock, except at interpreter shutdown.
    if (!Py_IsInitialized()) {
        object = nullptr;
        return;
    }
    PyGILState_STATE gil = PyGILState_Ensure();
    Py_CLEAR(object);
    PyGILState_Release(gil);
}

// The callable, as a new reference (the collector may clear the slot while it runs).
PyRef callable_or_error(PyObject* object) {
    if (object == nullptr) raise(PyExc_ReferenceError, "callback was cleared by the collector");
    return PyRef::borrow(object);
}

const char* binary_op_text(core::BinaryOpCode op) noexcept {
    switch (op) {
    case core::BinaryOpCode::Add: return "+";
    case core::BinaryOpCode::Sub: return "-";
    case core::BinaryOpCode::Mul: return "*";
    case core::BinaryOpCode::Div: return "/";
    case core::BinaryOpCode::Pow: return "^";
    case core::BinaryOpCode::Rem: return "%";
    case core::BinaryOpCode::Concat: return "&";
    }
    return "";
}

const char* compare_op_text(core::CompareOp op) noexcept {
    switch (op) {
    case core::CompareOp::Eq: return "=";
    case core::CompareOp::Ne: return "<>";
    case core::CompareOp::Lt: return "<";
    case core::CompareOp::Le: return "<=";
    case core::CompareOp::Gt: return ">";
    case core::CompareOp::Ge: return ">=";
    }
    return "";
}

// Calls `slot(op, left, right)`; null with the error set on failure.
PyRef call_operator(PyObject* slot, const char* op, const core::CellValue& left,
                    const core::CellValue& right, bool& converted) {
    PyRef callable = callable_or_error(slot);
    PyRef op_text = checked(PyUnicode_FromString(op));
    converted = false;
    PyRef lhs = value_to_py(left);
    PyRef rhs = value_to_py(right);
    converted = true;
    PyObject* args[] = {op_text.get(), lhs.get(), rhs.get()};
    return checked(PyObject_Vectorcall(callable.get(), args, 3, nullptr));
}

}  // namespace

// ---- PyFunc ----

PyFunc::PyFunc(std::string name, PyObject* function)
    : name_(std::move(name)), function_(Py_NewRef(function)) {}

PyFunc::~PyFunc() { release_reference(function_); }

core::Expected<core::CellValue, std::string> PyFunc::call(
    std::span<const core::CellValue> args) const {
    CallbackScope scope;
    if (!scope.entered()) return core::unexpected(take_error_text());
    try {
        PyRef list = checked(PyList_New(static_cast<Py_ssize_t>(args.size())));
        for (std::size_t i = 0; i < args.size(); ++i) {
            PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), value_to_py(args[i]).release());
        }
        PyRef callable = callable_or_error(function_);
        PyRef result = checked(PyObject_CallOneArg(callable.get(), list.get()));
        core::CellValue value;
        if (!py_to_value(result.get(), value)) throw PythonError{};
        return value;
    } catch (const PythonError&) {
        return core::unexpected(take_error_text());
    }
}

int PyFunc::traverse(visitproc visit, void* arg) const {
    Py_VISIT(function_);
    return 0;
}

void PyFunc::clear() const { Py_CLEAR(function_); }

// ---- PyHandler ----

std::shared_ptr<PyHandler> PyHandler::from_object(PyObject* handler) {
    PyRef tag = PyRef::steal(PyObject_GetAttr(handler, keys().type_tag));
    if (!tag) {
        PyErr_Clear();
        raise(PyExc_ValueError, "handler: missing `type_tag`");
    }
    if (!PyUnicode_Check(tag.get())) raise(PyExc_ValueError, "handler: `type_tag` must be str");
    std::string_view tag_text;
    if (!utf8_or_null(tag.get(), tag_text)) throw PythonError{};
    if (tag_text.empty()) raise(PyExc_ValueError, "handler: `type_tag` must be non-empty");

    std::shared_ptr<PyHandler> out(new PyHandler());
    out->type_tag_ = std::string(tag_text);
    PyObject* const names[kSlots] = {keys().parse_literal, keys().parse_with, keys().display,
                                     keys().edit_repr,     keys().binary_op,  keys().compare,
                                     keys().as_number};
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
        PyObject* attribute = PyObject_GetAttr(handler, names[slot]);
        if (attribute == nullptr) PyErr_Clear();
        out->slots_[slot] = attribute;
    }
    return out;
}

PyHandler::~PyHandler() {
    for (PyObject*& slot : slots_) release_reference(slot);
}

std::optional<core::CellValue> PyHandler::claim(PyObject* slot, std::string_view text,
                                                const std::string_view* options) const {
    CallbackScope scope;
    if (!scope.entered()) {
        drop_error();
        return std::nullopt;
    }
    try {
        PyRef callable = callable_or_error(slot);
        PyRef raw = make_str(text);
        PyRef result;
        if (options) {
            PyRef options_text = make_str(*options);
            PyObject* args[] = {raw.get(), options_text.get()};
            result = checked(PyObject_Vectorcall(callable.get(), args, 2, nullptr));
        } else {
            result = checked(PyObject_CallOneArg(callable.get(), raw.get()));
        }
        if (!PyDict_Check(result.get())) return std::nullopt;
        PyObject* data = nullptr;
        if (PyDict_GetItemRef(result.get(), keys().data, &data) < 0) throw PythonError{};
        PyRef data_ref = PyRef::steal(data);
        if (!data || !PyUnicode_Check(data)) return std::nullopt;
        std::string_view data_text;
        if (!utf8_or_null(data, data_text)) throw PythonError{};
        return core::CellValue::custom(type_tag_, data_text);
    } catch (const PythonError&) {
        drop_error();
        return std::nullopt;
    }
}

std::optional<core::CellValue> PyHandler::parse_literal(std::string_view text) const {
    if (slots_[ParseLiteral] == nullptr) return std::nullopt;
    return claim(slots_[ParseLiteral], text, nullptr);
}

std::optional<core::CellValue> PyHandler::parse_with(std::string_view text,
                                                     std::string_view options) const {
    if (slots_[ParseWith] == nullptr) return parse_literal(text);
    return claim(slots_[ParseWith], text, &options);
}

std::string PyHandler::show(Slot slot, const core::CellValue& value) const {
    const std::string_view data = value.custom_data();
    if (slots_[slot] == nullptr) return std::string(data);
    CallbackScope scope;
    if (!scope.entered()) {
        drop_error();
        return std::string(data);
    }
    try {
        PyRef callable = callable_or_error(slots_[slot]);
        PyRef dict = custom_dict(value.custom_tag(), data);
        PyRef result = checked(PyObject_CallOneArg(callable.get(), dict.get()));
        if (!PyUnicode_Check(result.get())) return std::string(data);
        std::string_view text;
        if (!utf8_or_null(result.get(), text)) throw PythonError{};
        return std::string(text);
    } catch (const PythonError&) {
        drop_error();
        return std::string(data);
    }
}

std::string PyHandler::display(const core::CellValue& value) const {
    return show(Display, value);
}

std::string PyHandler::edit_repr(const core::CellValue& value) const {
    return show(EditRepr, value);
}

core::BinaryOpAnswer PyHandler::binary_op(core::BinaryOpCode op, const core::CellValue& left,
                                          const core::CellValue& right) const {
    if (slots_[BinaryOp] == nullptr) return {};
    CallbackScope scope;
    if (!scope.entered()) return core::BinaryOpAnswer::error(take_error_text());
    bool converted = false;
    try {
        PyRef result = call_operator(slots_[BinaryOp], binary_op_text(op), left, right, converted);
        if (result.get() == Py_None) return {};
        core::CellValue value;
        if (!py_to_value(result.get(), value)) throw PythonError{};
        return core::BinaryOpAnswer::result(std::move(value));
    } catch (const PythonError&) {
        if (!converted) {
            drop_error();
            return {};
        }
        return core::BinaryOpAnswer::error(take_error_text());
    }
}

core::CompareAnswer PyHandler::compare(core::CompareOp op, const core::CellValue& left,
                                       const core::CellValue& right) const {
    if (slots_[Compare] == nullptr) return {};
    CallbackScope scope;
    if (!scope.entered()) return core::CompareAnswer::error(take_error_text());
    bool converted = false;
    try {
        PyRef result = call_operator(slots_[Compare], compare_op_text(op), left, right, converted);
        if (result.get() == Py_None) return {};
        if (auto truth = bool_of(result.get())) return core::CompareAnswer::result(*truth);
        raise(PyExc_TypeError,
              std::string("expected bool, got ") + Py_TYPE(result.get())->tp_name);
    } catch (const PythonError&) {
        if (!converted) {
            drop_error();
            return {};
        }
        return core::CompareAnswer::error(take_error_text());
    }
}

std::optional<double> PyHandler::as_number(const core::CellValue& value) const {
    if (slots_[AsNumber] == nullptr) return std::nullopt;
    CallbackScope scope;
    if (!scope.entered()) {
        drop_error();
        return std::nullopt;
    }
    try {
        PyRef callable = callable_or_error(slots_[AsNumber]);
        PyRef dict = custom_dict(value.custom_tag(), value.custom_data());
        PyRef result = checked(PyObject_CallOneArg(callable.get(), dict.get()));
        return float_of(result.get());
    } catch (const PythonError&) {
        drop_error();
        return std::nullopt;
    }
}

int PyHandler::traverse(visitproc visit, void* arg) const {
    for (PyObject* slot : slots_) Py_VISIT(slot);
    return 0;
}

void PyHandler::clear() const {
    for (PyObject*& slot : slots_) Py_CLEAR(slot);
}

// ---- the registry as the collector sees it ----

int traverse_registry(const core::Registry& registry, visitproc visit, void* arg) {
    for (const auto& function : registry.functions()) {
        if (auto* python = dynamic_cast<const PyFunc*>(function.get())) {
            if (int rc = python->traverse(visit, arg)) return rc;
        }
    }
    for (const auto& handler : registry.types()) {
        if (auto* python = dynamic_cast<const PyHandler*>(handler.get())) {
            if (int rc = python->traverse(visit, arg)) return rc;
        }
    }
    return 0;
}

void clear_registry(const core::Registry& registry) {
    for (const auto& function : registry.functions()) {
        if (auto* python = dynamic_cast<const PyFunc*>(function.get())) python->clear();
    }
    for (const auto& handler : registry.types()) {
        if (auto* python = dynamic_cast<const PyHandler*>(handler.get())) python->clear();
    }
}

}  // namespace orvel::python
