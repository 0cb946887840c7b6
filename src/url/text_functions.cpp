// The functions that test, encode, decode and join URL texts.
#include "url/call_support.h"
#include "url/functions.h"
#include "url/parse_failure.h"
#include "url/percent.h"
#include "url/utf8.h"

namespace orvel::url {
namespace {

using core::CellValue;
using core::unexpected;

// The first two steps of the functions of one text argument.
core::Expected<std::string_view, std::string> single_text(FunctionArgs args,
                                                          std::string_view name) {
    if (auto error = check_arity(name, args.size(), 1)) return unexpected(std::move(*error));
    return arg_text(args, 1, name);
}

}  // namespace

FunctionResult UrlValidFn::call(FunctionArgs args) const {
    auto text = single_text(args, name());
    if (!text) return unexpected(std::move(text).error());
    return CellValue::boolean(parses_as_absolute(*text));
}

FunctionResult UrlEncodeFn::call(FunctionArgs args) const {
    auto text = single_text(args, name());
    if (!text) return unexpected(std::move(text).error());
    std::string encoded;
    append_percent_encoded(encoded, *text);
    return CellValue::text(encoded);
}

FunctionResult UrlDecodeFn::call(FunctionArgs args) const {
    auto text = single_text(args, name());
    if (!text) return unexpected(std::move(text).error());
    std::string decoded;
    append_percent_decoded(decoded, *text);
    if (!is_valid_utf8(decoded)) {
        return unexpected(value_error("URL_DECODE: result is not valid UTF-8"));
    }
    return CellValue::text(decoded);
}

FunctionResult UrlJoinFn::call(FunctionArgs args) const {
    auto base = url_argument(args, 2, name());
    if (!base) return unexpected(std::move(base).error());
    auto reference = arg_text(args, 2, name());
    if (!reference) return unexpected(std::move(reference).error());
    auto joined = parse_against(*reference, *base);
    if (!joined) {
        std::string message = "URL_JOIN: ";
        message.append(describe_join_failure(*reference, scheme_of(*base), base->has_opaque_path));
        return unexpected(value_error(message));
    }
    return CellValue::text(joined->get_href());
}

}  // namespace orvel::url
