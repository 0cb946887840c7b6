#include "core/dispatch.h"

#include <string>
#include <vector>

#include "core/ast.h"
#include "core/builtins.h"
#include "core/functions.h"
#include "core/text_budget.h"

namespace orvel::core {

namespace {

using AggregateBody = ScalarResult (*)(std::span<const ArrayValue>, const Registry&);
using ElementwiseBody = ScalarResult (*)(const CellValue&, std::span<const CellValue>,
                                         const Registry&);
using ArrayBody = ArrayResult (*)(std::span<const ArrayValue>, const Registry&);

// The body bound to each row of the built-in table, in table order; exactly one is set.
struct Body {
    AggregateBody aggregate = nullptr;
    ElementwiseBody elementwise = nullptr;
    ArrayBody array = nullptr;
};

constexpr Body kBodies[] = {
    {fn_sum, nullptr, nullptr},        {fn_average, nullptr, nullptr},
    {fn_min, nullptr, nullptr},        {fn_max, nullptr, nullptr},
    {fn_count, nullptr, nullptr},      {nullptr, fn_abs, nullptr},
    {nullptr, fn_round, nullptr},      {nullptr, nullptr, fn_if_array},
    {fn_concat, nullptr, nullptr},     {nullptr, fn_len, nullptr},
    {nullptr, fn_upper, nullptr},      {nullptr, fn_lower, nullptr},
    {nullptr, nullptr, fn_sequence},   {nullptr, nullptr, fn_transpose},
    {nullptr, nullptr, fn_filter},     {nullptr, nullptr, fn_sort},
    {nullptr, nullptr, fn_unique},
};
static_assert(std::size(kBodies) == kBuiltinCount);

FormulaError shape_mismatch(std::string_view name, std::string_view requirement) {
    return FormulaError::other(std::string(name) + ": " + std::string(requirement));
}

Expected<ArrayValue, FormulaError> call_custom(const CustomFunction& function,
                                               std::span<const ArrayValue> args,
                                               CallEffects& effects) {
    auto call = [&]() -> Expected<CellValue, std::string> {
        // One argument is already the flat list.
        if (args.size() == 1) return function.call({args[0].data(), args[0].size()});
        std::size_t total = 0;
        for (const ArrayValue& arg : args) total += arg.size();
        std::vector<CellValue> flat;
        flat.reserve(total);
        for (const ArrayValue& arg : args) flat.insert(flat.end(), arg.begin(), arg.end());
        return function.call(flat);
    };
    Expected<CellValue, std::string> result = call();
    if (!result) return unexpected(FormulaError::from(result.error()));
    if (result->is_text()) effects.text_built = result->text_view().size();
    return ArrayValue::scalar(std::move(*result));
}

Expected<ArrayValue, FormulaError> call_elementwise(std::string_view name, ElementwiseBody body,
                                                    std::span<const ArrayValue> args,
                                                    const Registry& registry,
                                                    CallEffects& effects) {
    if (args.empty()) return ArrayValue::scalar(CellValue());
    std::vector<CellValue> others;
    others.reserve(args.size() - 1);
    for (const ArrayValue& arg : args.subspan(1)) others.push_back(arg.first());

    const ArrayValue& first = args[0];
    if (first.is_scalar()) {
        ScalarResult result = body(first.data()[0], others, registry);
        if (!result) return unexpected(std::move(result).error());
        if (result->is_text()) effects.text_built = result->text_view().size();
        return ArrayValue::scalar(std::move(*result));
    }
    TextBudget budget(name);
    std::vector<CellValue> out;
    out.reserve(first.size());
    for (const CellValue& element : first) {
        ScalarResult result = body(element, others, registry);
        if (!result) {
            out.push_back(CellValue::error(std::move(result).error()));
            continue;
        }
        if (result->is_text() && !budget.take(result->text_view().size())) {
            return unexpected(budget.exceeded());
        }
        out.push_back(std::move(*result));
    }
    effects.text_built = budget.used();
    return ArrayValue(first.rows(), first.cols(), std::move(out));
}

Expected<ArrayValue, FormulaError> call_builtin(std::string_view name, std::size_t index,
                                                std::span<const ArrayValue> args,
                                                const Registry& registry,
                                                CallEffects& effects) {
    const BuiltinRow& row = builtins()[index];
    const Body& body = kBodies[index];
    switch (row.shape) {
        case FunctionShape::Aggregate: {
            if (row.eval_kind != EvalKind::Scalar || !body.aggregate) {
                return unexpected(shape_mismatch(name, "Aggregate requires Scalar eval"));
            }
            ScalarResult result = body.aggregate(args, registry);
            if (!result) return unexpected(std::move(result).error());
            if (result->is_text()) effects.text_built = result->text_view().size();
            return ArrayValue::scalar(std::move(*result));
        }
        case FunctionShape::Elementwise:
            if (args.empty()) return ArrayValue::scalar(CellValue());
            if (row.eval_kind != EvalKind::Scalar || !body.elementwise) {
                return unexpected(shape_mismatch(name, "Elementwise requires Scalar eval"));
            }
            return call_elementwise(name, body.elementwise, args, registry, effects);
        case FunctionShape::ArrayReturning:
            if (row.eval_kind != EvalKind::Array || !body.array) {
                return unexpected(shape_mismatch(name, "ArrayReturning requires Array eval"));
            }
            effects.passes_arguments = true;
            return body.array(args, registry);
    }
    return unexpected(FormulaError(ErrorKind::UnknownName));
}

}  // namespace

Expected<ArrayValue, FormulaError> call_function(std::string_view name, std::uint8_t builtin,
                                                 std::span<const ArrayValue> args,
                                                 const Registry& registry,
                                                 CallEffects& effects) {
    std::optional<std::size_t> row;
    if (builtin == kBuiltinUnresolved) {
        row = find_builtin(name);
    } else if (builtin < kBuiltinCount) {
        row = builtin;
    }
    // Custom functions come first. None can carry a built-in name or alias (registration
    // refuses it), so a name known to be built-in skips the scan.
    if (!row && !registry.functions().empty()) {
        if (const CustomFunction* function = registry.find_function(name)) {
            return call_custom(*function, args, effects);
        }
    }
    if (!row) return unexpected(FormulaError(ErrorKind::UnknownName));
    return call_builtin(name, *row, args, registry, effects);
}

Expected<ArrayValue, FormulaError> call_function(std::string_view name,
                                                 std::span<const ArrayValue> args,
                                                 const Registry& registry) {
    CallEffects effects;
    return call_function(name, kBuiltinUnresolved, args, registry, effects);
}

}  // namespace orvel::core
