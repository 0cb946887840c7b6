#include "datetime/arithmetic.h"
#include "datetime/handler_support.h"
#include "datetime/handlers.h"
#include "datetime/iso_text.h"
#include "datetime/strptime.h"

namespace orvel::datetime {

std::string_view DateTimeHandler::type_tag() const {
    return kDateTimeTag;
}

std::optional<core::CellValue> DateTimeHandler::parse_literal(std::string_view text) const {
    if (text.size() < 16 || !has_date_prefix_shape(text) || text[10] != 'T' ||
        text.find('[') != std::string_view::npos) {
        return std::nullopt;
    }
    auto dt = parse_datetime(text);
    if (!dt) return std::nullopt;
    return pack_datetime(*dt);
}

std::optional<core::CellValue> DateTimeHandler::parse_with(std::string_view text,
                                                           std::string_view format) const {
    if (format.empty()) return parse_literal(text);
    auto fields = parse_strptime(text, format);
    if (!fields) return std::nullopt;
    auto dt = fields_to_datetime(*fields);
    if (!dt) return std::nullopt;
    return pack_datetime(*dt);
}

std::string DateTimeHandler::display(const core::CellValue& value) const {
    // Not parsed: a malformed payload gets the same replacement.
    std::string text(value.custom_data());
    if (auto t = text.find('T'); t != std::string::npos) text[t] = ' ';
    return text;
}

std::string DateTimeHandler::edit_repr(const core::CellValue& value) const {
    return std::string(value.custom_data());
}

core::BinaryOpAnswer DateTimeHandler::binary_op(core::BinaryOpCode op, const core::CellValue& left,
                                                const core::CellValue& right) const {
    const core::CellValue* temporal;
    const core::CellValue* span;
    if (!span_operands(op, kDateTimeTag, left, right, temporal, span)) return {};
    return plus_span(
        *temporal, *span, op == core::BinaryOpCode::Sub, parse_datetime,
        [](const DateTime& dt, const Span& s) { return add_span(dt, s); }, pack_datetime);
}

core::CompareAnswer DateTimeHandler::compare(core::CompareOp op, const core::CellValue& left,
                                             const core::CellValue& right) const {
    return compare_same_tag(op, kDateTimeTag, left, right, parse_datetime,
                            [](const DateTime& a, const DateTime& b) { return a <=> b; });
}

std::optional<double> DateTimeHandler::as_number(const core::CellValue& value) const {
    auto dt = parse_datetime(value.custom_data());
    if (!dt) return std::nullopt;
    return static_cast<double>(civil_nanos(*dt)) / static_cast<double>(kNanosPerDay);
}

}  // namespace orvel::datetime
