// The functions that take a URL apart.
#include <cmath>
#include <cstddef>

#include "url/call_support.h"
#include "url/form.h"
#include "url/functions.h"
#include "url/percent.h"
#include "url/utf8.h"

namespace orvel::url {
namespace {

using core::CellValue;
using core::unexpected;

std::size_t count_segments(std::string_view path) noexcept {
    std::size_t count = 0;
    bool in_segment = false;
    for (char c : path) {
        if (c != '/' && !in_segment) ++count;
        in_segment = c != '/';
    }
    return count;
}

// The non-empty segment at `position` (from 1) of a path split at "/".
std::string_view segment_at(std::string_view path, std::size_t position) noexcept {
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start && --position == 0) return path.substr(start, end - start);
        start = end + 1;
    }
    return {};
}

// The segment a whole non-zero index selects: n the n-th, -n the n-th from the end; "" outside.
// The magnitude is compared as a double first, so no huge index is ever cast to an integer.
std::string_view select_segment(std::string_view path, double index) noexcept {
    std::size_t count = count_segments(path);
    double magnitude = std::fabs(index);
    if (magnitude > static_cast<double>(count)) return {};
    auto n = static_cast<std::size_t>(magnitude);
    return segment_at(path, index > 0 ? n : count - n + 1);
}

}  // namespace

FunctionResult UrlSchemeFn::call(FunctionArgs args) const {
    auto url = url_argument(args, 1, name());
    if (!url) return unexpected(std::move(url).error());
    return CellValue::text(scheme_of(*url));
}

FunctionResult UrlHostFn::call(FunctionArgs args) const {
    auto url = url_argument(args, 1, name());
    if (!url) return unexpected(std::move(url).error());
    return CellValue::text(host_of(*url));
}

FunctionResult UrlPortFn::call(FunctionArgs args) const {
    auto url = url_argument(args, 1, name());
    if (!url) return unexpected(std::move(url).error());
    return CellValue::number(port_of(*url));
}

FunctionResult UrlPathFn::call(FunctionArgs args) const {
    auto url = url_argument(args, 1, name());
    if (!url) return unexpected(std::move(url).error());
    return CellValue::text(url->get_pathname());
}

FunctionResult UrlQueryFn::call(FunctionArgs args) const {
    auto url = url_argument(args, 1, name());
    if (!url) return unexpected(std::move(url).error());
    return CellValue::text(query_of(*url));
}

FunctionResult UrlFragmentFn::call(FunctionArgs args) const {
    auto url = url_argument(args, 1, name());
    if (!url) return unexpected(std::move(url).error());
    return CellValue::text(fragment_of(*url));
}

FunctionResult UrlPathSegmentFn::call(FunctionArgs args) const {
    auto url = url_argument(args, 2, name());
    if (!url) return unexpected(std::move(url).error());
    std::optional<double> index = args[1].as_number();
    if (!index) return unexpected(value_error("URL_PATH_SEGMENT: arg #2 must be a number"));
    if (!std::isfinite(*index) || *index == 0 || std::trunc(*index) != *index) {
        return unexpected(value_error("URL_PATH_SEGMENT: index must be a non-zero whole number"));
    }
    if (url->has_opaque_path) return CellValue::text(std::string_view());

    std::string segment;
    append_percent_decoded(segment, select_segment(url->get_pathname(), *index));
    if (!is_valid_utf8(segment)) {
        return unexpected(value_error("URL_PATH_SEGMENT: segment is not valid UTF-8"));
    }
    return CellValue::text(segment);
}

FunctionResult UrlParamFn::call(FunctionArgs args) const {
    auto url = url_argument(args, 2, name());
    if (!url) return unexpected(std::move(url).error());
    auto param_name = arg_text(args, 2, name());
    if (!param_name) return unexpected(std::move(param_name).error());
    return CellValue::text(form_value(query_of(*url), *param_name));
}

}  // namespace orvel::url
