// Pieces the temporal handlers share: literal shape tests, comparison answers, and the body of
// "temporal plus or minus span".
#pragma once

#include <compare>
#include <string_view>

#include "core/interfaces.h"
#include "datetime/error.h"
#include "datetime/payload.h"
#include "datetime/span_text.h"

namespace orvel::datetime {

inline bool digits_at(std::string_view text, std::size_t from, std::size_t to) noexcept {
    for (std::size_t i = from; i < to; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

// "YYYY-MM-DD" at the start of a text of at least ten bytes.
inline bool has_date_prefix_shape(std::string_view text) noexcept {
    return text.size() >= 10 && digits_at(text, 0, 4) && text[4] == '-' && digits_at(text, 5, 7) &&
           text[7] == '-' && digits_at(text, 8, 10);
}

inline bool compare_holds(core::CompareOp op, std::strong_ordering order) noexcept {
    switch (op) {
        case core::CompareOp::Eq:
            return order == 0;
        case core::CompareOp::Ne:
            return order != 0;
        case core::CompareOp::Lt:
            return order < 0;
        case core::CompareOp::Le:
            return order <= 0;
        case core::CompareOp::Gt:
            return order > 0;
        case core::CompareOp::Ge:
            return order >= 0;
    }
    return false;
}

// The handlers hand library messages on as they are.
inline core::BinaryOpAnswer op_error(const Error& error) {
    return core::BinaryOpAnswer::error(error.message);
}
inline core::CompareAnswer compare_error(const Error& error) {
    return core::CompareAnswer::error(error.message);
}

// `temporal` + `span` (or - for subtract) for a handler of tag `tag`: reads both payloads (the
// temporal one with `read`), negates the span for a minus, adds with `add`, packs with `pack`.
template <class Read, class Add, class Pack>
core::BinaryOpAnswer plus_span(const core::CellValue& temporal, const core::CellValue& span_value,
                               bool subtract, Read read, Add add, Pack pack) {
    auto value = read(temporal.custom_data());
    if (!value) return op_error(value.error());
    auto span = parse_span(span_value.custom_data());
    if (!span) return op_error(span.error());
    const Span signed_span = subtract ? span->negated() : *span;
    auto result = add(*value, signed_span);
    if (!result) return op_error(result.error());
    return core::BinaryOpAnswer::result(pack(*result));
}

// Which operand pair a "+" or "-" handler answers: (temporal, span) or, for "+", (span, temporal).
// Sets `temporal` and `span` and returns true when the pair is answered.
inline bool span_operands(core::BinaryOpCode op, std::string_view tag, const core::CellValue& left,
                          const core::CellValue& right, const core::CellValue*& temporal,
                          const core::CellValue*& span) noexcept {
    if (op != core::BinaryOpCode::Add && op != core::BinaryOpCode::Sub) return false;
    if (has_tag(left, tag) && has_tag(right, kSpanTag)) {
        temporal = &left;
        span = &right;
        return true;
    }
    if (op == core::BinaryOpCode::Add && has_tag(left, kSpanTag) && has_tag(right, tag)) {
        temporal = &right;
        span = &left;
        return true;
    }
    return false;
}

// Both operands carry `tag`: the comparison of the values `read` gives, ordered by `order`.
template <class Read, class Order>
core::CompareAnswer compare_same_tag(core::CompareOp op, std::string_view tag,
                                     const core::CellValue& left, const core::CellValue& right,
                                     Read read, Order order) {
    if (!has_tag(left, tag) || !has_tag(right, tag)) return {};
    auto a = read(left.custom_data());
    if (!a) return compare_error(a.error());
    auto b = read(right.custom_data());
    if (!b) return compare_error(b.error());
    return core::CompareAnswer::result(compare_holds(op, order(*a, *b)));
}

}  // namespace orvel::datetime
