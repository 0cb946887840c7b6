// Why the parser refused a text. ada reports failure without a reason, so the text is examined
// again to choose one of the parser error descriptions. Only call these after a parse has failed:
// they choose the words, never whether parsing succeeds.
#pragma once

#include <string_view>

namespace orvel::url {

// The description for a text that did not parse as an absolute URL.
std::string_view describe_parse_failure(std::string_view input);

// The description for a reference that did not resolve against a base URL whose scheme (lower
// case, no ":") and path kind are given.
std::string_view describe_join_failure(std::string_view reference, std::string_view base_scheme,
                                       bool base_has_opaque_path);

}  // namespace orvel::url
