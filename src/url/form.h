// Reading a query as application/x-www-form-urlencoded name-value pairs.
#pragma once

#include <string>
#include <string_view>

namespace orvel::url {

// The decoded value of the first pair of `query` whose decoded name equals `name` byte for byte;
// "" when none does. Pairs are split at "&" (empty pieces skipped), name and value at the first
// "="; "+" reads as a blank before percent-escapes are decoded, and bytes that are not UTF-8
// become U+FFFD.
std::string form_value(std::string_view query, std::string_view name);

}  // namespace orvel::url
