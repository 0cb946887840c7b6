// The catalogue, signature-help and completion records as Python dicts, keys in fixed order.
#pragma once

#include "python/py_ref.h"

#include <optional>
#include <vector>

#include "core/catalogue.h"
#include "core/complete.h"

namespace orvel::python {

PyRef function_info_to_py(const core::FunctionInfo& info);
PyRef function_list_to_py(const std::vector<core::FunctionInfo>& functions);
// None when there is no help.
PyRef signature_help_to_py(const std::optional<core::SignatureHelp>& help);
PyRef completion_to_py(const core::CompletionList& completion);

}  // namespace orvel::python
