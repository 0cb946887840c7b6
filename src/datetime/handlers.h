// The six temporal type handlers. Registered in this order: zoned, date-time, date, time, span,
// time zone; the order decides which handler takes a literal and which answers an operator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/interfaces.h"

namespace orvel::datetime {

class ZonedHandler final : public core::CustomTypeHandler {
public:
    std::string_view type_tag() const override;
    std::optional<core::CellValue> parse_literal(std::string_view text) const override;
    std::optional<core::CellValue> parse_with(std::string_view text,
                                              std::string_view format) const override;
    std::string display(const core::CellValue& value) const override;
    std::string edit_repr(const core::CellValue& value) const override;
    core::BinaryOpAnswer binary_op(core::BinaryOpCode op, const core::CellValue& left,
                                   const core::CellValue& right) const override;
    core::CompareAnswer compare(core::CompareOp op, const core::CellValue& left,
                                const core::CellValue& right) const override;
    std::optional<double> as_number(const core::CellValue& value) const override;
};

class DateTimeHandler final : public core::CustomTypeHandler {
public:
    std::string_view type_tag() const override;
    std::optional<core::CellValue> parse_literal(std::string_view text) const override;
    std::optional<core::CellValue> parse_with(std::string_view text,
                                              std::string_view format) const override;
    std::string display(const core::CellValue& value) const override;
    std::string edit_repr(const core::CellValue& value) const override;
    core::BinaryOpAnswer binary_op(core::BinaryOpCode op, const core::CellValue& left,
                                   const core::CellValue& right) const override;
    core::CompareAnswer compare(core::CompareOp op, const core::CellValue& left,
                                const core::CellValue& right) const override;
    std::optional<double> as_number(const core::CellValue& value) const override;
};

class DateHandler final : public core::CustomTypeHandler {
public:
    std::string_view type_tag() const override;
    std::optional<core::CellValue> parse_literal(std::string_view text) const override;
    std::optional<core::CellValue> parse_with(std::string_view text,
                                              std::string_view format) const override;
    std::string display(const core::CellValue& value) const override;
    std::string edit_repr(const core::CellValue& value) const override;
    core::BinaryOpAnswer binary_op(core::BinaryOpCode op, const core::CellValue& left,
                                   const core::CellValue& right) const override;
    core::CompareAnswer compare(core::CompareOp op, const core::CellValue& left,
                                const core::CellValue& right) const override;
    std::optional<double> as_number(const core::CellValue& value) const override;
};

class TimeHandler final : public core::CustomTypeHandler {
public:
    std::string_view type_tag() const override;
    std::optional<core::CellValue> parse_literal(std::string_view text) const override;
    std::optional<core::CellValue> parse_with(std::string_view text,
                                              std::string_view format) const override;
    std::string display(const core::CellValue& value) const override;
    std::string edit_repr(const core::CellValue& value) const override;
    core::BinaryOpAnswer binary_op(core::BinaryOpCode op, const core::CellValue& left,
                                   const core::CellValue& right) const override;
    core::CompareAnswer compare(core::CompareOp op, const core::CellValue& left,
                                const core::CellValue& right) const override;
    std::optional<double> as_number(const core::CellValue& value) const override;
};

// parse_with is the interface's: the literal parse, the format ignored.
class SpanHandler final : public core::CustomTypeHandler {
public:
    std::string_view type_tag() const override;
    std::optional<core::CellValue> parse_literal(std::string_view text) const override;
    std::string display(const core::CellValue& value) const override;
    std::string edit_repr(const core::CellValue& value) const override;
    core::BinaryOpAnswer binary_op(core::BinaryOpCode op, const core::CellValue& left,
                                   const core::CellValue& right) const override;
    core::CompareAnswer compare(core::CompareOp op, const core::CellValue& left,
                                const core::CellValue& right) const override;
};

// No literal, no operators, no number: "=" and "<>" on the payload bytes.
class TimeZoneHandler final : public core::CustomTypeHandler {
public:
    std::string_view type_tag() const override;
    std::string display(const core::CellValue& value) const override;
    std::string edit_repr(const core::CellValue& value) const override;
    core::CompareAnswer compare(core::CompareOp op, const core::CellValue& left,
                                const core::CellValue& right) const override;
};

}  // namespace orvel::datetime
