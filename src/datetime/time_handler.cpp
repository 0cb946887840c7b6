#include "datetime/arithmetic.h"
#include "datetime/handler_support.h"
#include "datetime/handlers.h"
#include "datetime/iso_text.h"
#include "datetime/strptime.h"

namespace orvel::datetime {

namespace {

bool has_time_shape(std::string_view text) noexcept {
    if (text.size() < 5 || text.size() > 18 || text[2] != ':') return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || c == ':' || c == '.')) return false;
    }
    return true;
}

}  // namespace

std::string_view TimeHandler::type_tag() const {
    return kTimeTag;
}

std::optional<core::CellValue> TimeHandler::parse_literal(std::string_view text) const {
    if (!has_time_shape(text)) return std::nullopt;
    auto time = parse_time(text);
    if (!time) return std::nullopt;
    return pack_time(*time);
}

std::optional<core::CellValue> TimeHandler::parse_with(std::string_view text,
                                                       std::string_view format) const {
    if (format.empty()) return parse_literal(text);
    auto fields = parse_strptime(text, format);
    if (!fields) return std::nullopt;
    auto time = fields_to_time(*fields);
    if (!time) return std::nullopt;
    return pack_time(*time);
}

std::string TimeHandler::display(const core::CellValue& value) const {
    return std::string(value.custom_data());
}
std::string TimeHandler::edit_repr(const core::CellValue& value) const {
    return display(value);
}

core::BinaryOpAnswer TimeHandler::binary_op(core::BinaryOpCode op, const core::CellValue& left,
                                            const core::CellValue& right) const {
    const core::CellValue* temporal;
    const core::CellValue* span_value;
    if (!span_operands(op, kTimeTag, left, right, temporal, span_value)) return {};
    auto time = parse_time(temporal->custom_data());
    if (!time) return op_error(time.error());
    auto span = parse_span(span_value->custom_data());
    if (!span) return op_error(span.error());
    const bool subtract = op == core::BinaryOpCode::Sub;
    if (span->has_calendar_units()) {
        return core::BinaryOpAnswer::error(subtract ? "#VALUE! jtime - jspan: span has calendar "
                                                      "units (years/months/weeks/days), which time "
                                                      "has no anchor for"
                                                    : "#VALUE! jtime + jspan: span has calendar "
                                                      "units (years/months/weeks/days), which time "
                                                      "has no anchor for");
    }
    return core::BinaryOpAnswer::result(
        pack_time(wrapping_add(*time, subtract ? span->negated() : *span)));
}

core::CompareAnswer TimeHandler::compare(core::CompareOp op, const core::CellValue& left,
                                         const core::CellValue& right) const {
    return compare_same_tag(op, kTimeTag, left, right, parse_time,
                            [](Time a, Time b) { return a <=> b; });
}

std::optional<double> TimeHandler::as_number(const core::CellValue& value) const {
    auto time = parse_time(value.custom_data());
    if (!time) return std::nullopt;
    return static_cast<double>(nanos_of_day(*time)) / static_cast<double>(kNanosPerDay);
}

}  // namespace orvel::datetime
