#include "url/call_support.h"

#include <charconv>

#include "url/parse_failure.h"

namespace orvel::url {
namespace {

void append_count(std::string& out, std::size_t count) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, count).ptr;
    out.append(digits, end);
}

}  // namespace

std::string value_error(std::string_view message) {
    std::string text = "#VALUE! ";
    text.append(message);
    return text;
}

std::optional<std::string> check_arity(std::string_view name, std::size_t count,
                                       std::size_t expected) {
    if (count == expected) return std::nullopt;
    std::string message(name);
    message.append(": expected ");
    append_count(message, expected);
    message.append(expected == 1 ? " arg" : " args");
    return value_error(message);
}

core::Expected<std::string_view, std::string> arg_text(std::span<const core::CellValue> args,
                                                       std::size_t position,
                                                       std::string_view name) {
    bool present = position >= 1 && position <= args.size();
    if (present && args[position - 1].is_text()) return args[position - 1].text_view();
    std::string message(name);
    message.append(present ? ": arg #" : ": missing arg #");
    append_count(message, position);
    if (present) message.append(" must be text");
    return core::unexpected(value_error(message));
}

core::Expected<ParsedUrl, std::string> parse_url(std::string_view text, std::string_view name) {
    if (auto url = parse_absolute(text)) return std::move(*url);
    std::string message(name);
    message.append(": invalid URL (");
    message.append(describe_parse_failure(text));
    message.push_back(')');
    return core::unexpected(value_error(message));
}

core::Expected<ParsedUrl, std::string> url_argument(std::span<const core::CellValue> args,
                                                    std::size_t expected_count,
                                                    std::string_view name) {
    if (auto error = check_arity(name, args.size(), expected_count)) {
        return core::unexpected(std::move(*error));
    }
    auto text = arg_text(args, 1, name);
    if (!text) return core::unexpected(std::move(text).error());
    return parse_url(*text, name);
}

}  // namespace orvel::url
