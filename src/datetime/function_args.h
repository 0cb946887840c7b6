// What the package's functions share: their object shape, the "#VALUE! {message}" failure
// convention, and the argument readers with their messages.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/expected.h"
#include "core/interfaces.h"
#include "datetime/civil.h"
#include "datetime/instant.h"
#include "datetime/payload.h"
#include "datetime/spans.h"
#include "datetime/zone.h"

namespace orvel::datetime {

using Args = std::span<const core::CellValue>;
// A function's result, or its error text ("#VALUE! {message}").
using Outcome = core::Expected<core::CellValue, std::string>;
template <class T>
using ArgResult = core::Expected<T, std::string>;
using FunctionBody = Outcome (*)(Args args);

// A function of the package: a fixed name and a body. Exceptions never leave `call`.
class DatetimeFn final : public core::CustomFunction {
public:
    DatetimeFn(std::string_view name, FunctionBody body) noexcept : name_(name), body_(body) {}
    std::string_view name() const override { return name_; }
    Outcome call(Args args) const override;

private:
    std::string_view name_;
    FunctionBody body_;
};

// Fails with "#VALUE! {message}".
core::Unexpected<std::string> fail(std::string_view message);
// Fails with the library's message ("out of range: " before range errors).
core::Unexpected<std::string> fail_library(const Error& error);
// "{name}: {detail}"
core::Unexpected<std::string> fail_named(std::string_view name, std::string_view detail);

// Argument `n` (1-based) through the plain number view.
ArgResult<double> arg_number(Args args, std::size_t n, std::string_view name);

enum class IntWidth : std::uint8_t { I8, I16, I32 };
// A whole number within the width's range (the label names it in messages).
ArgResult<std::int64_t> ranged_int(std::string_view name, std::string_view label, double x,
                                   IntWidth width);

// True for finite numbers equal to their truncation; `out` gets the value saturated to int64.
bool whole_number(double x, std::int64_t& out) noexcept;

struct ParseArgs {
    std::string_view text;
    std::optional<std::string_view> format;
};
// PARSE_DATE and friends: (text, [fmt]); an empty format counts as none.
ArgResult<ParseArgs> parse_args(std::string_view name, Args args);

// Argument 2 as a zone: a text or a "jtimezone" value, read by parse_timezone.
ArgResult<TimeZone> arg_timezone(Args args, std::string_view name);
// Argument 2 as an optional "jdate".
ArgResult<std::optional<Date>> arg_optional_date(Args args, std::string_view name);
// Argument 1 as a "jspan" / a "jzoned".
ArgResult<Span> arg_span(const core::CellValue& arg, std::string_view name);
ArgResult<Zoned> arg_zoned(const core::CellValue& arg, std::string_view name);

// Number text for messages.
std::string count_text(std::size_t n);

}  // namespace orvel::datetime
