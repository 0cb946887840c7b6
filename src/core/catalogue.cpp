#include "core/catalogue.h"

namespace orvel::core {

ParamInfo param_info(const BuiltinParam& param) {
    return {std::string(param.name), std::string(param.description), param.optional};
}

FunctionInfo function_info(const BuiltinRow& row) {
    FunctionInfo info;
    info.name = row.name;
    for (std::string_view alias : row.aliases) info.aliases.emplace_back(alias);
    info.category = category_name(row.category);
    for (const BuiltinParam& param : row.params) info.params.push_back(param_info(param));
    if (row.variadic) info.variadic = param_info(*row.variadic);
    info.description = row.description;
    for (const BuiltinExample& example : row.examples) {
        info.examples.push_back({std::string(example.formula), std::string(example.result)});
    }
    return info;
}

FunctionInfo custom_function_info(std::string_view name) {
    FunctionInfo info;
    info.name = name;
    info.category = "Custom";
    info.variadic = ParamInfo{"args", "", true};
    return info;
}

std::vector<FunctionInfo> list_functions() {
    std::vector<FunctionInfo> out;
    out.reserve(kBuiltinCount);
    for (const BuiltinRow& row : builtins()) out.push_back(function_info(row));
    return out;
}

std::vector<FunctionInfo> list_functions_with_registry(const Registry& registry) {
    std::vector<FunctionInfo> out = list_functions();
    for (const auto& function : registry.functions()) {
        out.push_back(custom_function_info(function->name()));
    }
    return out;
}

}  // namespace orvel::core
