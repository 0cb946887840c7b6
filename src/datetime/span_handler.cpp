#include <cmath>

#include "datetime/arithmetic.h"
#include "datetime/handler_support.h"
#include "datetime/handlers.h"
#include "datetime/iso_text.h"

namespace orvel::datetime {

namespace {

constexpr Date kRelativeDate{1970, 1, 1};

bool has_span_shape(std::string_view text) noexcept {
    if (text.empty()) return false;
    const char first = text[0];
    if (first == '+' || first == '-' || first == 'P' || first == 'p') return true;
    if (first < '0' || first > '9') return false;
    return text.find_first_of("dhmswy", 1) != std::string_view::npos;
}

template <class Read, class Diff>
core::BinaryOpAnswer minus(const core::CellValue& left, const core::CellValue& right, Read read,
                           Diff diff) {
    auto a = read(left.custom_data());
    if (!a) return op_error(a.error());
    auto b = read(right.custom_data());
    if (!b) return op_error(b.error());
    auto span = diff(*a, *b);
    if (!span) return op_error(span.error());
    return core::BinaryOpAnswer::result(pack_span(*span));
}

core::BinaryOpAnswer temporal_minus_temporal(const core::CellValue& left,
                                             const core::CellValue& right) {
    const std::string_view tag = left.custom_tag();
    if (tag == kDateTag) {
        return minus(left, right, parse_date, [](Date a, Date b) { return difference(a, b); });
    }
    if (tag == kTimeTag) {
        return minus(left, right, parse_time, [](Time a, Time b) { return difference(a, b); });
    }
    if (tag == kDateTimeTag) {
        return minus(left, right, parse_datetime,
                     [](const DateTime& a, const DateTime& b) { return difference(a, b); });
    }
    return minus(left, right, parse_zoned,
                 [](const Zoned& a, const Zoned& b) { return difference(a, b); });
}

core::BinaryOpAnswer span_combine(bool subtract, const core::CellValue& left,
                                  const core::CellValue& right) {
    auto a = parse_span(left.custom_data());
    if (!a) return op_error(a.error());
    auto b = parse_span(right.custom_data());
    if (!b) return op_error(b.error());
    auto sum = span_sum(*a, subtract ? b->negated() : *b, kRelativeDate);
    if (!sum) return op_error(sum.error());
    return core::BinaryOpAnswer::result(pack_span(*sum));
}

core::BinaryOpAnswer span_times_number(const core::CellValue& span_value,
                                       const core::CellValue& other) {
    const std::optional<double> x = other.as_number();
    if (!x) return core::BinaryOpAnswer::error("#VALUE! span * value: scalar must be a number");
    // Whole and within int64: -2^63 passes here and fails in the multiplication.
    if (!std::isfinite(*x) || *x != std::trunc(*x) || *x < -9223372036854775808.0 ||
        *x >= 9223372036854775808.0) {
        return core::BinaryOpAnswer::error(
            "#VALUE! span * value: scalar must be a whole number (fractional scaling not supported "
            "in v1)");
    }
    auto span = parse_span(span_value.custom_data());
    if (!span) return op_error(span.error());
    auto product = span->checked_mul(static_cast<std::int64_t>(*x));
    if (!product) return op_error(product.error());
    return core::BinaryOpAnswer::result(pack_span(*product));
}

bool is_differentiable(const core::CellValue& value) noexcept {
    if (!value.is_custom()) return false;
    const std::string_view tag = value.custom_tag();
    return tag == kDateTag || tag == kTimeTag || tag == kDateTimeTag || tag == kZonedTag;
}

}  // namespace

std::string_view SpanHandler::type_tag() const {
    return kSpanTag;
}

std::optional<core::CellValue> SpanHandler::parse_literal(std::string_view text) const {
    if (!has_span_shape(text)) return std::nullopt;
    auto span = parse_span(text);
    if (!span) return std::nullopt;
    return pack_span(*span);
}

std::string SpanHandler::display(const core::CellValue& value) const {
    auto span = parse_span(value.custom_data());
    if (!span) return std::string(value.custom_data());
    std::string text;
    append_span_friendly(text, *span);
    return text;
}

std::string SpanHandler::edit_repr(const core::CellValue& value) const {
    return std::string(value.custom_data());
}

core::BinaryOpAnswer SpanHandler::binary_op(core::BinaryOpCode op, const core::CellValue& left,
                                            const core::CellValue& right) const {
    const bool left_span = has_tag(left, kSpanTag);
    const bool right_span = has_tag(right, kSpanTag);
    switch (op) {
        case core::BinaryOpCode::Sub:
            if (is_differentiable(left) && has_tag(right, left.custom_tag())) {
                return temporal_minus_temporal(left, right);
            }
            [[fallthrough]];
        case core::BinaryOpCode::Add:
            if (left_span && right_span)
                return span_combine(op == core::BinaryOpCode::Sub, left, right);
            return {};
        case core::BinaryOpCode::Mul:
            if (left_span && !right_span) return span_times_number(left, right);
            if (!left_span && right_span) return span_times_number(right, left);
            return {};
        default:
            return {};
    }
}

core::CompareAnswer SpanHandler::compare(core::CompareOp op, const core::CellValue& left,
                                         const core::CellValue& right) const {
    if (!has_tag(left, kSpanTag) || !has_tag(right, kSpanTag)) return {};
    auto a = parse_span(left.custom_data());
    if (!a) return compare_error(a.error());
    auto b = parse_span(right.custom_data());
    if (!b) return compare_error(b.error());
    auto order = span_compare(*a, *b, kRelativeDate);
    if (!order) return compare_error(order.error());
    return core::CompareAnswer::result(compare_holds(op, *order));
}

}  // namespace orvel::datetime
