// Calls the package's functions through a registry and shows results as comparable texts.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "core/registry.h"
#include "datetime/register.h"

namespace orvel::datetime::testing {

inline const core::Registry& package_registry() {
    static const core::Registry registry = [] {
        core::Registry r;
        register_on_sheet(r);
        return r;
    }();
    return registry;
}

inline core::CellValue N(double n) {
    return core::CellValue::number(n);
}
inline core::CellValue T(std::string_view s) {
    return core::CellValue::text(s);
}
inline core::CellValue B(bool b) {
    return core::CellValue::boolean(b);
}
inline core::CellValue E() {
    return core::CellValue();
}
inline core::CellValue C(std::string_view tag, std::string_view payload) {
    return core::CellValue::custom(tag, payload);
}

// "jdate:2024-01-01", a number's display, "'text'", "TRUE", or the error text.
inline std::string show(const core::Expected<core::CellValue, std::string>& result) {
    if (!result) return result.error();
    const core::CellValue& v = *result;
    switch (v.kind()) {
        case core::ValueKind::Custom:
            return std::string(v.custom_tag()) + ":" + std::string(v.custom_data());
        case core::ValueKind::Text:
            return "'" + std::string(v.text_view()) + "'";
        default:
            return v.display();
    }
}

inline std::string call(std::string_view name, const std::vector<core::CellValue>& args) {
    const core::CustomFunction* function = package_registry().find_function(name);
    if (function == nullptr) return "<no function " + std::string(name) + ">";
    return show(function->call(args));
}

struct CallCase {
    std::string function;
    std::vector<core::CellValue> args;
    std::string expected;
};

}  // namespace orvel::datetime::testing
