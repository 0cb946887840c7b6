// Calls the URL functions by name, as the dispatcher would, and shows results as text.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/registry.h"
#include "core/values.h"
#include "url/register.h"

namespace orvel::url::testing {

inline const core::Registry& url_registry() {
    static const core::Registry registry = [] {
        core::Registry r;
        EXPECT_FALSE(register_url_functions(r).has_value());
        return r;
    }();
    return registry;
}

inline core::CellValue text(std::string_view s) {
    return core::CellValue::text(s);
}
inline core::CellValue number(double n) {
    return core::CellValue::number(n);
}
inline core::CellValue boolean(bool b) {
    return core::CellValue::boolean(b);
}

// The function's result as a display text, or its error text; "<no such function>" when the
// name is not registered.
inline std::string call(std::string_view name, const std::vector<core::CellValue>& args) {
    const core::CustomFunction* function = url_registry().find_function(name);
    if (function == nullptr) return "<no such function>";
    auto result = function->call(args);
    if (!result) return result.error();
    return result->display();
}

inline core::CellValue call_value(std::string_view name, const std::vector<core::CellValue>& args) {
    const core::CustomFunction* function = url_registry().find_function(name);
    auto result = function->call(args);
    return result ? *result : core::CellValue::error(core::FormulaError::from(result.error()));
}

}  // namespace orvel::url::testing
