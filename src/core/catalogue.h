// The function catalogue: plain records of the built-in functions and of a sheet's custom
// functions, for editors and for the Python module.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/builtins.h"
#include "core/registry.h"

namespace orvel::core {

struct ParamInfo {
    std::string name;
    std::string description;
    bool optional = false;
};

struct ExampleInfo {
    std::string formula;
    std::string result;
};

struct FunctionInfo {
    std::string name;
    std::vector<std::string> aliases;
    std::string category;  // a built-in's category word, or "Custom"
    std::vector<ParamInfo> params;
    std::optional<ParamInfo> variadic;
    std::string description;
    std::vector<ExampleInfo> examples;
};

ParamInfo param_info(const BuiltinParam& param);
FunctionInfo function_info(const BuiltinRow& row);
// The minimal record of a custom function: its name and an open-ended "args" parameter.
FunctionInfo custom_function_info(std::string_view name);

// The built-ins in table order.
std::vector<FunctionInfo> list_functions();
// The built-ins, then the registry's custom functions in registration order.
std::vector<FunctionInfo> list_functions_with_registry(const Registry& registry);

}  // namespace orvel::core
