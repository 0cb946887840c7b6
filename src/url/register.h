// Switching the URL functions on: in a registry, or on anything that registers functions one at
// a time the way a registry does (a sheet).
#pragma once

#include <concepts>
#include <optional>
#include <utility>
#include <vector>

#include "core/registry.h"

namespace orvel::url {

// Registers the twelve functions in their fixed order; stops at the first error and returns it.
std::optional<core::RegistryError> register_url_functions(core::Registry& registry);

// The twelve functions in their fixed order, newly made and checked by a scratch registry.
std::vector<core::Registry::FunctionPtr> url_functions();

template <class Target>
concept FunctionTarget = requires(Target& target, core::Registry::FunctionPtr function) {
    {
        target.register_function(std::move(function))
        } -> std::same_as<std::optional<core::RegistryError>>;
};

// Registers the twelve functions on `sheet` in order. The first error is returned at once: the
// functions before it stay registered, the rest are not offered. Nothing is recalculated.
template <FunctionTarget Target>
std::optional<core::RegistryError> register_on_sheet(Target& sheet) {
    for (core::Registry::FunctionPtr& function : url_functions()) {
        if (auto error = sheet.register_function(std::move(function))) return error;
    }
    return std::nullopt;
}

}  // namespace orvel::url
