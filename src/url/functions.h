// The twelve URL functions that a sheet can switch on. Each is stateless; each call parses its
// own copy of the URL.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/expected.h"
#include "core/interfaces.h"
#include "core/values.h"

namespace orvel::url {

using FunctionResult = core::Expected<core::CellValue, std::string>;
using FunctionArgs = std::span<const core::CellValue>;

class UrlSchemeFn final : public core::CustomFunction {
public:
    std::string_view name() const override { return "URL_SCHEME"; }
    FunctionResult call(FunctionArgs args) const override;
};

class UrlHostFn final : public core::CustomFunction {
public:
    std::string_view name() const override { return "URL_HOST"; }
    FunctionResult call(FunctionArgs args) const override;
};

class UrlPortFn final : public core::CustomFunction {
public:
    std::string_view name() const override { return "URL_PORT"; }
    FunctionResult call(FunctionArgs args) const override;
};

class UrlPathFn final : public core::CustomFunction {
public:
    std::string_view name() const override { return "URL_PATH"; }
    FunctionResult call(FunctionArgs args) const override;
};

class UrlPathSegmentFn final : public core::CustomFunction {
public:
    std::string_view name() const override { return "URL_PATH_SEGMENT"; }
    FunctionResult call(FunctionArgs args) const override;
};

class UrlQueryFn final : public core::CustomFunction {
public:
    std::string_view name() const override { return "URL_QUERY"; }
    FunctionResult call(FunctionArgs args) const override;
};

class UrlFragmentFn final : public core::CustomFunction {
public:
    std::string_view name() const override { return "URL_FRAGMENT"; }
    FunctionResult call(FunctionArgs args) const override;
};

class UrlParamFn final : public core::CustomFunction {
public:
    std::string_view name() const override { return "URL_PARAM"; }
    FunctionResult call(FunctionArgs args) const override;
};

class UrlValidFn final : public core::CustomFunction {
public:
    std::string_view name() const override { return "URL_VALID"; }
    FunctionResult call(FunctionArgs args) const override;
};

class UrlEncodeFn final : public core::CustomFunction {
public:
    std::string_view name() const override { return "URL_ENCODE"; }
    FunctionResult call(FunctionArgs args) const override;
};

class UrlDecodeFn final : public core::CustomFunction {
public:
    std::string_view name() const override { return "URL_DECODE"; }
    FunctionResult call(FunctionArgs args) const override;
};

class UrlJoinFn final : public core::CustomFunction {
public:
    std::string_view name() const override { return "URL_JOIN"; }
    FunctionResult call(FunctionArgs args) const override;
};

}  // namespace orvel::url
