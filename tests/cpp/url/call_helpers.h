// Calls the URL functions by name, as the dispatcher would.
#pragma once

#include <gtest/gtest.h>

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

inline core::CellValue text(std::string_view s) { return core::CellValue::text(s); }

// The function's result, or its error text read back as the error value.
inline core::CellValue call_value(std::string_view name, const std::vector<core::CellValue>& args) {
    auto result = url_registry().find_function(name)->call(args);
    return result ? *result : core::CellValue::error(core::FormulaError::from(result.error()));
}

// The result's display text, or the error text.
inline std::string call(std::string_view name, const std::vector<core::CellValue>& args) {
    return call_value(name, args).display();
}

}  // namespace orvel::url::testing
