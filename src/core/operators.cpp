#include "core/operators.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/limits.h"
#include "core/text_budget.h"
#include "core/value_rules.h"

namespace orvel::core {

namespace {

using ElementResult = Expected<CellValue, FormulaError>;

// Walks the broadcast shape row by row. `element(left, right, failure)` gives one cell's value
// or element error, or sets `failure` to stop the whole operation (a text bound).
template <class Element>
Expected<ArrayValue, FormulaError> walk(const ArrayValue& left, const ArrayValue& right,
                                        std::string_view label, Element&& element) {
    auto shape = broadcast_shape(left.rows(), left.cols(), right.rows(), right.cols(), label);
    if (!shape) return unexpected(std::move(shape).error());
    const auto [rows, cols] = *shape;
    const std::size_t count = std::size_t{rows} * cols;
    if (count == 0) return ArrayValue(rows, cols, {});
    std::optional<FormulaError> failure;
    if (count == 1) {
        // A one-cell result turns an element error into a failure.
        ElementResult cell = element(left.data()[0], right.data()[0], failure);
        if (failure) return unexpected(std::move(*failure));
        if (!cell) return unexpected(std::move(cell).error());
        return ArrayValue::scalar(std::move(*cell));
    }
    std::vector<CellValue> out;
    out.reserve(count);
    const std::size_t left_step = left.cols() == 1 ? 0 : 1;
    const std::size_t right_step = right.cols() == 1 ? 0 : 1;
    for (std::uint32_t i = 0; i < rows; ++i) {
        const CellValue* left_row =
            left.data() + std::size_t{left.rows() == 1 ? 0 : i} * left.cols();
        const CellValue* right_row =
            right.data() + std::size_t{right.rows() == 1 ? 0 : i} * right.cols();
        for (std::uint32_t j = 0; j < cols; ++j) {
            ElementResult cell =
                element(left_row[j * left_step], right_row[j * right_step], failure);
            if (failure) return unexpected(std::move(*failure));
            out.push_back(cell ? std::move(*cell) : CellValue::error(std::move(cell).error()));
        }
    }
    return ArrayValue(rows, cols, std::move(out));
}

std::optional<double> numeric_view(const CellValue& v, const Registry& registry) {
    if (v.is_number()) return v.as_double();
    return registry.coerce_number(v);
}

// Appends the text view of `v`, unless a text would pass what `budget` still allows.
bool append_text_view(std::string& out, const CellValue& v, const Registry& registry,
                      const TextBudget& budget) {
    if (v.is_text()) {
        const std::size_t held = budget.used() + out.size();
        if (held > kMaxTextBytes || v.text_view().size() > kMaxTextBytes - held) return false;
        out += v.text_view();
        return true;
    }
    registry.append_render(out, v);
    return true;
}

class Joiner {
public:
    explicit Joiner(std::string_view owner) : budget_(owner) {}

    ElementResult join(const CellValue& left, const CellValue& right, const Registry& registry,
                       std::optional<FormulaError>& failure) {
        scratch_.clear();
        if (!append_text_view(scratch_, left, registry, budget_) ||
            !append_text_view(scratch_, right, registry, budget_) ||
            !budget_.take(scratch_.size())) {
            failure = budget_.exceeded();
            return CellValue();
        }
        return CellValue::text(scratch_);
    }
    std::size_t built() const noexcept { return budget_.used(); }

private:
    TextBudget budget_;
    std::string scratch_;
};

ElementResult arithmetic(BinaryOpCode code, double a, double b) {
    if (code == BinaryOpCode::Concat) return CellValue();
    double out = 0;
    if (!number_arithmetic(code, a, b, out)) return unexpected(FormulaError(ErrorKind::DivByZero));
    return CellValue::number(out);
}

// The first handler's answer for an operation with a custom operand, or none.
std::optional<ElementResult> ask_handlers_binary(BinaryOpCode code, const CellValue& left,
                                                 const CellValue& right,
                                                 const Registry& registry) {
    for (const auto& handler : registry.types()) {
        BinaryOpAnswer answer = handler->binary_op(code, left, right);
        if (!answer.handled()) continue;
        if (answer.is_error()) return unexpected(FormulaError::from(answer.error_text()));
        return std::move(answer.value());
    }
    return std::nullopt;
}

std::optional<ElementResult> ask_handlers_compare(CompareOp op, const CellValue& left,
                                                  const CellValue& right,
                                                  const Registry& registry) {
    for (const auto& handler : registry.types()) {
        CompareAnswer answer = handler->compare(op, left, right);
        if (!answer.handled()) continue;
        if (answer.is_error()) return unexpected(FormulaError::from(answer.error_text()));
        return CellValue::boolean(answer.value());
    }
    return std::nullopt;
}

bool is_numeric_kind(const CellValue& v) noexcept { return v.is_number() || v.is_boolean(); }

double as_numeric(const CellValue& v) noexcept {
    return v.is_number() ? v.as_double() : (v.as_bool() ? 1.0 : 0.0);
}

// The operators' ordering: numbers and booleans before texts; Empty takes the other side's
// kind as 0 (or FALSE) or as the empty text; NaN is Equal to every number.
Ordering operator_order(const CellValue& left, const CellValue& right) {
    if (left.is_empty() && right.is_empty()) return Ordering::Equal;
    const bool left_numeric = left.is_empty() ? !right.is_text() : is_numeric_kind(left);
    const bool right_numeric = right.is_empty() ? !left.is_text() : is_numeric_kind(right);
    if (left_numeric != right_numeric) return left_numeric ? Ordering::Less : Ordering::Greater;
    if (left_numeric) {
        double a = left.is_empty() ? 0.0 : as_numeric(left);
        double b = right.is_empty() ? 0.0 : as_numeric(right);
        if (a < b) return Ordering::Less;
        if (a > b) return Ordering::Greater;
        return Ordering::Equal;
    }
    return compare_bytes(left.is_empty() ? std::string_view() : left.text_view(),
                         right.is_empty() ? std::string_view() : right.text_view());
}

bool holds(CompareOp op, Ordering order) noexcept {
    switch (op) {
        case CompareOp::Eq: return order == Ordering::Equal;
        case CompareOp::Ne: return order != Ordering::Equal;
        case CompareOp::Lt: return order == Ordering::Less;
        case CompareOp::Le: return order != Ordering::Greater;
        case CompareOp::Gt: return order == Ordering::Greater;
        case CompareOp::Ge: return order != Ordering::Less;
    }
    return false;
}

ElementResult compare_element(CompareOp op, const CellValue& left, const CellValue& right,
                              const Registry& registry) {
    if (left.is_error()) return unexpected(left.error_value());
    if (right.is_error()) return unexpected(right.error_value());
    if (left.is_custom() || right.is_custom()) {
        if (registry.has_types()) {
            if (auto answer = ask_handlers_compare(op, left, right, registry)) return *answer;
        }
        // Unanswered custom values are only ever equal or unequal.
        bool equal = left.is_custom() && right.is_custom() &&
                     left.custom_tag() == right.custom_tag() &&
                     left.custom_data() == right.custom_data();
        if (op == CompareOp::Eq) return CellValue::boolean(equal);
        if (op == CompareOp::Ne) return CellValue::boolean(!equal);
        return CellValue::boolean(false);
    }
    return CellValue::boolean(holds(op, operator_order(left, right)));
}

std::string_view operator_text(BinaryOpCode code) noexcept {
    return code == BinaryOpCode::Concat ? "&" : "+";
}

// The element rule of the binary operators.
class BinopElement {
public:
    BinopElement(BinaryOpCode code, const Registry& registry)
        : code_(code), registry_(registry), joiner_(operator_text(code)) {}

    ElementResult operator()(const CellValue& left, const CellValue& right,
                             std::optional<FormulaError>& failure) {
        if (registry_.has_types() && (left.is_custom() || right.is_custom())) {
            if (auto answer = ask_handlers_binary(code_, left, right, registry_)) {
                return std::move(*answer);
            }
        }
        if (code_ == BinaryOpCode::Concat) return joiner_.join(left, right, registry_, failure);
        if (left.is_number() && right.is_number()) {
            return arithmetic(code_, left.as_double(), right.as_double());
        }
        auto a = numeric_view(left, registry_);
        auto b = a ? numeric_view(right, registry_) : std::nullopt;
        if (a && b) return arithmetic(code_, *a, *b);
        // Without two numbers "+" joins the texts and the other operators give Empty.
        if (code_ == BinaryOpCode::Add) return joiner_.join(left, right, registry_, failure);
        return CellValue();
    }
    std::size_t text_built() const noexcept { return joiner_.built(); }

private:
    BinaryOpCode code_;
    const Registry& registry_;
    Joiner joiner_;
};

bool all_numbers(const ArrayValue& array) noexcept {
    for (const CellValue& v : array) {
        if (!v.is_number()) return false;
    }
    return true;
}

// The common case of arithmetic on plain numbers, in a loop free of the general element rule.
// Gives the same cells as the walk; only results of more than one cell come here.
ArrayValue numeric_binop(BinaryOpCode code, const ArrayValue& left, const ArrayValue& right,
                         Shape shape) {
    const auto [rows, cols] = shape;
    if (std::size_t{rows} * cols == 0) return ArrayValue(rows, cols, {});
    std::vector<CellValue> out(std::size_t{rows} * cols);
    CellValue* cell = out.data();
    const std::size_t left_step = left.cols() == 1 ? 0 : 1;
    const std::size_t right_step = right.cols() == 1 ? 0 : 1;
    for (std::uint32_t i = 0; i < rows; ++i) {
        const CellValue* left_row =
            left.data() + std::size_t{left.rows() == 1 ? 0 : i} * left.cols();
        const CellValue* right_row =
            right.data() + std::size_t{right.rows() == 1 ? 0 : i} * right.cols();
        for (std::uint32_t j = 0; j < cols; ++j, ++cell) {
            const double a = left_row[j * left_step].as_double();
            const double b = right_row[j * right_step].as_double();
            ElementResult value = arithmetic(code, a, b);
            *cell = value ? std::move(*value) : CellValue::error(std::move(value).error());
        }
    }
    return ArrayValue(rows, cols, std::move(out));
}

}  // namespace

std::optional<BinaryOpCode> binary_op_code(char op) noexcept {
    switch (op) {
        case '+': return BinaryOpCode::Add;
        case '-': return BinaryOpCode::Sub;
        case '*': return BinaryOpCode::Mul;
        case '/': return BinaryOpCode::Div;
        case '^': return BinaryOpCode::Pow;
        case '%': return BinaryOpCode::Rem;
        case '&': return BinaryOpCode::Concat;
        default: return std::nullopt;
    }
}

Expected<Shape, FormulaError> broadcast_shape(std::uint32_t rows1, std::uint32_t cols1,
                                              std::uint32_t rows2, std::uint32_t cols2,
                                              std::string_view label) {
    auto common = [](std::uint32_t a, std::uint32_t b) -> std::optional<std::uint32_t> {
        if (a == b) return a;
        if (a == 1) return b;
        if (b == 1) return a;
        return std::nullopt;
    };
    auto rows = common(rows1, rows2);
    if (!rows) return unexpected(FormulaError::value("incompatible array shapes"));
    auto cols = common(cols1, cols2);
    if (!cols) return unexpected(FormulaError::value("incompatible array shapes"));
    if (std::uint64_t{*rows} * *cols > kMaxCells) {
        return unexpected(FormulaError::size(std::string(label) + " result exceeds " +
                                             std::to_string(kMaxCells) + " cells"));
    }
    return Shape{*rows, *cols};
}

Expected<ArrayValue, FormulaError> broadcast_binop(BinaryOpCode code, const ArrayValue& left,
                                                   const ArrayValue& right,
                                                   const Registry& registry,
                                                   std::size_t* text_built) {
    if (left.is_scalar() && right.is_scalar()) {
        auto value = scalar_binop(code, left.data()[0], right.data()[0], registry, text_built);
        if (!value) return unexpected(std::move(value).error());
        return ArrayValue::scalar(std::move(*value));
    }
    if (text_built) *text_built = 0;
    if (code != BinaryOpCode::Concat && left.size() + right.size() > 2 && all_numbers(left) &&
        all_numbers(right)) {
        auto shape = broadcast_shape(left.rows(), left.cols(), right.rows(), right.cols(),
                                     "broadcast");
        if (!shape) return unexpected(std::move(shape).error());
        if (std::size_t{shape->first} * shape->second > 1) {
            return numeric_binop(code, left, right, *shape);
        }
    }
    BinopElement element(code, registry);
    auto result = walk(left, right, "broadcast", element);
    if (text_built) *text_built = element.text_built();
    return result;
}

Expected<CellValue, FormulaError> scalar_binop(BinaryOpCode code, const CellValue& left,
                                               const CellValue& right, const Registry& registry,
                                               std::size_t* text_built) {
    if (text_built) *text_built = 0;
    // Plain numbers need neither a handler nor text: the element rule comes down to arithmetic.
    if (code != BinaryOpCode::Concat && left.is_number() && right.is_number()) {
        return arithmetic(code, left.as_double(), right.as_double());
    }
    BinopElement element(code, registry);
    std::optional<FormulaError> failure;
    ElementResult value = element(left, right, failure);
    if (failure) return unexpected(std::move(*failure));
    if (text_built) *text_built = element.text_built();
    return value;
}

Expected<CellValue, FormulaError> scalar_compare(CompareOp op, const CellValue& left,
                                                 const CellValue& right,
                                                 const Registry& registry) {
    return compare_element(op, left, right, registry);
}

Expected<ArrayValue, FormulaError> broadcast_compare(CompareOp op, const ArrayValue& left,
                                                     const ArrayValue& right,
                                                     const Registry& registry) {
    if (left.is_scalar() && right.is_scalar()) {
        auto value = compare_element(op, left.data()[0], right.data()[0], registry);
        if (!value) return unexpected(std::move(value).error());
        return ArrayValue::scalar(std::move(*value));
    }
    return walk(left, right, "comparison",
                [&](const CellValue& l, const CellValue& r,
                    std::optional<FormulaError>&) -> ElementResult {
                    return compare_element(op, l, r, registry);
                });
}

Expected<CellValue, FormulaError> eval_unary_op(char op, const CellValue& value) {
    if (op != '+' && op != '-') {
        return unexpected(FormulaError::other("Unknown unary operator: " + std::string(1, op)));
    }
    std::optional<double> number;
    if (value.is_number() || value.is_boolean() || value.is_text()) number = value.as_number();
    if (!number) return CellValue();
    return CellValue::number(op == '-' ? -*number : *number);
}

}  // namespace orvel::core
