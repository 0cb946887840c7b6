#include "core/registry.h"

#include "core/builtins.h"
#include "core/unicode.h"

namespace orvel::core {

std::string RegistryError::display() const {
    switch (kind) {
        case Kind::DuplicateTypeTag: return "custom type tag already registered: " + name;
        case Kind::FunctionNameCollision:
            return "custom function name collides with existing: " + name;
    }
    return {};
}

std::optional<RegistryError> Registry::register_type(HandlerPtr handler) {
    std::string_view tag = handler->type_tag();
    if (handler_for(tag) != nullptr) {
        return RegistryError{RegistryError::Kind::DuplicateTypeTag, std::string(tag)};
    }
    types_.push_back(std::move(handler));
    return std::nullopt;
}

std::optional<RegistryError> Registry::register_function(FunctionPtr function) {
    std::string_view name = function->name();
    if (find_builtin(to_upper_full(name)).has_value() || find_function(name) != nullptr) {
        return RegistryError{RegistryError::Kind::FunctionNameCollision, std::string(name)};
    }
    functions_.push_back(std::move(function));
    return std::nullopt;
}

std::vector<Registry::FunctionPtr> Registry::into_functions() && {
    types_.clear();
    return std::move(functions_);
}

const CustomTypeHandler* Registry::handler_for(std::string_view tag) const noexcept {
    for (const auto& handler : types_) {
        if (handler->type_tag() == tag) return handler.get();
    }
    return nullptr;
}

const CustomFunction* Registry::find_function(std::string_view name) const noexcept {
    for (const auto& function : functions_) {
        if (equals_ignore_ascii_case(function->name(), name)) return function.get();
    }
    return nullptr;
}

std::optional<CellValue> Registry::parse_literal(std::string_view text) const {
    for (const auto& handler : types_) {
        if (auto value = handler->parse_literal(text)) return value;
    }
    return std::nullopt;
}

std::optional<double> Registry::coerce_number(const CellValue& value) const {
    if (value.is_custom()) {
        const CustomTypeHandler* handler = handler_for(value.custom_tag());
        return handler ? handler->as_number(value) : std::nullopt;
    }
    return value.as_number();
}

void Registry::append_render(std::string& out, const CellValue& value) const {
    if (value.is_custom()) {
        if (const CustomTypeHandler* handler = handler_for(value.custom_tag())) {
            out += handler->display(value);
            return;
        }
    }
    value.append_display(out);
}

std::string Registry::render(const CellValue& value) const {
    std::string out;
    append_render(out, value);
    return out;
}

}  // namespace orvel::core
