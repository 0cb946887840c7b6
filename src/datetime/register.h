// The package's one entry point: its six type handlers and 52 functions onto a sheet.
#pragma once

#include <concepts>
#include <optional>
#include <vector>

#include "core/registry.h"

namespace orvel::datetime {

// What can receive the package: the engine's Sheet and a plain Registry both qualify.
template <class Target>
concept RegistrationTarget = requires(Target& target, core::Registry::HandlerPtr handler,
                                      core::Registry::FunctionPtr function) {
    {
        target.register_type(std::move(handler))
        } -> std::convertible_to<std::optional<core::RegistryError>>;
    {
        target.register_function(std::move(function))
        } -> std::convertible_to<std::optional<core::RegistryError>>;
};

// New handlers in registration order: zoned, date-time, date, time, span, time zone.
std::vector<core::Registry::HandlerPtr> make_package_handlers();
// New functions in registration order, collected through a scratch registry (its group
// failures are dropped; none can occur since the names are unique and no built-in's).
std::vector<core::Registry::FunctionPtr> make_package_functions();

// Registers the handlers one by one, then the functions one by one, and returns the first
// error the sheet reports; whatever was registered before it stays. Recalculates nothing.
template <RegistrationTarget Target>
std::optional<core::RegistryError> register_on_sheet(Target& sheet) {
    for (core::Registry::HandlerPtr& handler : make_package_handlers()) {
        if (auto error = sheet.register_type(std::move(handler))) return error;
    }
    for (core::Registry::FunctionPtr& function : make_package_functions()) {
        if (auto error = sheet.register_function(std::move(function))) return error;
    }
    return std::nullopt;
}

}  // namespace orvel::datetime
