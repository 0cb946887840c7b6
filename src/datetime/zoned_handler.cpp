#include "datetime/arithmetic.h"
#include "datetime/handler_support.h"
#include "datetime/handlers.h"
#include "datetime/iso_text.h"
#include "datetime/strftime.h"
#include "datetime/strptime.h"

namespace orvel::datetime {

std::string_view ZonedHandler::type_tag() const {
    return kZonedTag;
}

std::optional<core::CellValue> ZonedHandler::parse_literal(std::string_view text) const {
    if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text.find('[') == std::string_view::npos || text.back() != ']') {
        return std::nullopt;
    }
    auto zoned = parse_zoned(text);
    if (!zoned) return std::nullopt;
    return pack_zoned(*zoned);
}

std::optional<core::CellValue> ZonedHandler::parse_with(std::string_view text,
                                                        std::string_view format) const {
    if (format.empty()) return parse_literal(text);
    auto fields = parse_strptime(text, format);
    if (!fields) return std::nullopt;
    auto zoned = fields_to_zoned_if_zone_given(*fields);
    if (!zoned) return std::nullopt;
    return pack_zoned(*zoned);
}

std::string ZonedHandler::display(const core::CellValue& value) const {
    auto zoned = parse_zoned(value.custom_data());
    if (!zoned) return std::string(value.custom_data());
    std::string text;
    if (!format_strftime(text, "%Y-%m-%d %H:%M:%S %Z", FormatFields::of(*zoned))) {
        return std::string(value.custom_data());
    }
    return text;
}

std::string ZonedHandler::edit_repr(const core::CellValue& value) const {
    return std::string(value.custom_data());
}

core::BinaryOpAnswer ZonedHandler::binary_op(core::BinaryOpCode op, const core::CellValue& left,
                                             const core::CellValue& right) const {
    const core::CellValue* temporal;
    const core::CellValue* span;
    if (!span_operands(op, kZonedTag, left, right, temporal, span)) return {};
    return plus_span(
        *temporal, *span, op == core::BinaryOpCode::Sub, parse_zoned,
        [](const Zoned& z, const Span& s) { return add_span(z, s); }, pack_zoned);
}

core::CompareAnswer ZonedHandler::compare(core::CompareOp op, const core::CellValue& left,
                                          const core::CellValue& right) const {
    return compare_same_tag(op, kZonedTag, left, right, parse_zoned,
                            [](const Zoned& a, const Zoned& b) { return a.instant <=> b.instant; });
}

std::optional<double> ZonedHandler::as_number(const core::CellValue& value) const {
    auto zoned = parse_zoned(value.custom_data());
    if (!zoned) return std::nullopt;
    return static_cast<double>(zoned->instant.seconds_toward_zero());
}

}  // namespace orvel::datetime
