// The custom types and custom functions of one sheet, in registration order.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/expected.h"
#include "core/interfaces.h"
#include "core/values.h"

namespace orvel::core {

struct RegistryError {
    enum class Kind : std::uint8_t { DuplicateTypeTag, FunctionNameCollision };
    Kind kind;
    std::string name;  // the tag, or the function name as the function gives it

    std::string display() const;
};

class Registry {
public:
    using HandlerPtr = std::shared_ptr<const CustomTypeHandler>;
    using FunctionPtr = std::shared_ptr<const CustomFunction>;

    std::optional<RegistryError> register_type(HandlerPtr handler);
    std::optional<RegistryError> register_function(FunctionPtr function);
    // The functions in registration order; the handlers are dropped.
    std::vector<FunctionPtr> into_functions() &&;

    const std::vector<HandlerPtr>& types() const noexcept { return types_; }
    const std::vector<FunctionPtr>& functions() const noexcept { return functions_; }
    bool has_types() const noexcept { return !types_.empty(); }

    // The first handler whose type tag equals `tag` byte for byte, or null.
    const CustomTypeHandler* handler_for(std::string_view tag) const noexcept;
    // The first custom function whose name equals `name` ignoring ASCII case, or null.
    const CustomFunction* find_function(std::string_view name) const noexcept;

    // The first handler's custom value for a literal text, in registration order.
    std::optional<CellValue> parse_literal(std::string_view text) const;
    // The numeric view of the built-in functions (custom values through their handler).
    std::optional<double> coerce_number(const CellValue& value) const;
    // The display text with handlers (custom values through their handler's display).
    std::string render(const CellValue& value) const;
    void append_render(std::string& out, const CellValue& value) const;

private:
    std::vector<HandlerPtr> types_;
    std::vector<FunctionPtr> functions_;
};

}  // namespace orvel::core
