#include "datetime/arithmetic.h"
#include "datetime/handler_support.h"
#include "datetime/handlers.h"
#include "datetime/iso_text.h"
#include "datetime/strptime.h"

namespace orvel::datetime {

std::string_view DateHandler::type_tag() const {
    return kDateTag;
}

std::optional<core::CellValue> DateHandler::parse_literal(std::string_view text) const {
    if (text.size() != 10 || !has_date_prefix_shape(text)) return std::nullopt;
    auto date = parse_date(text);
    if (!date) return std::nullopt;
    return pack_date(*date);
}

std::optional<core::CellValue> DateHandler::parse_with(std::string_view text,
                                                       std::string_view format) const {
    if (format.empty()) return parse_literal(text);
    auto fields = parse_strptime(text, format);
    if (!fields) return std::nullopt;
    auto date = fields_to_date(*fields);
    if (!date) return std::nullopt;
    return pack_date(*date);
}

std::string DateHandler::display(const core::CellValue& value) const {
    return std::string(value.custom_data());
}
std::string DateHandler::edit_repr(const core::CellValue& value) const {
    return display(value);
}

core::BinaryOpAnswer DateHandler::binary_op(core::BinaryOpCode op, const core::CellValue& left,
                                            const core::CellValue& right) const {
    const core::CellValue* temporal;
    const core::CellValue* span;
    if (!span_operands(op, kDateTag, left, right, temporal, span)) return {};
    return plus_span(
        *temporal, *span, op == core::BinaryOpCode::Sub, parse_date,
        [](Date d, const Span& s) { return add_span(d, s); }, pack_date);
}

core::CompareAnswer DateHandler::compare(core::CompareOp op, const core::CellValue& left,
                                         const core::CellValue& right) const {
    return compare_same_tag(op, kDateTag, left, right, parse_date,
                            [](Date a, Date b) { return a <=> b; });
}

std::optional<double> DateHandler::as_number(const core::CellValue& value) const {
    auto date = parse_date(value.custom_data());
    if (!date) return std::nullopt;
    return static_cast<double>(epoch_day(*date));
}

}  // namespace orvel::datetime
