// The steps every URL function call shares: argument count, text arguments, URL parsing. Each
// failure is an error text ready to return (a #VALUE! error carrying the message).
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/expected.h"
#include "core/values.h"
#include "url/url_parse.h"

namespace orvel::url {

// "#VALUE! " followed by the message.
std::string value_error(std::string_view message);

// "{name}: expected {expected} arg(s)", or nothing when the count is right.
std::optional<std::string> check_arity(std::string_view name, std::size_t count,
                                       std::size_t expected);

// The text of the argument at `position` (from 1), or "{name}: arg #{position} must be text".
core::Expected<std::string_view, std::string> arg_text(std::span<const core::CellValue> args,
                                                       std::size_t position, std::string_view name);

// The text as an absolute URL, or "{name}: invalid URL ({description})".
core::Expected<ParsedUrl, std::string> parse_url(std::string_view text, std::string_view name);

// The first three steps of every function that takes a URL first: the argument count, the URL
// argument as text, the parsed URL.
core::Expected<ParsedUrl, std::string> url_argument(std::span<const core::CellValue> args,
                                                    std::size_t expected_count,
                                                    std::string_view name);

}  // namespace orvel::url
