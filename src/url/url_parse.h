// The WHATWG URL parser behind the URL functions (ada), reached only through this header.
#pragma once

#include <ada.h>

#include <optional>
#include <string_view>

namespace orvel::url {

// Another ada may accept or refuse other hosts (its IDNA rules move between releases), so moving
// to one is a deliberate change: update the pin in third_party/ada-url.sha256 and this check
// together, and rerun the conformance tests.
static_assert(std::string_view(ADA_VERSION) == "4.0.0", "ada is not the pinned version 4.0.0");

using ParsedUrl = ada::url_aggregator;

// ada requires valid UTF-8 input. Engine texts always are; other bytes fail here instead.
std::optional<ParsedUrl> parse_absolute(std::string_view text);
std::optional<ParsedUrl> parse_against(std::string_view text, const ParsedUrl& base);
bool parses_as_absolute(std::string_view text);

// The components as the URL functions give them. The views point into `url`.
std::string_view scheme_of(const ParsedUrl& url);    // lower case, no ":"
std::string_view host_of(const ParsedUrl& url);      // "" without a host, no port
std::string_view query_of(const ParsedUrl& url);     // no "?"
std::string_view fragment_of(const ParsedUrl& url);  // no "#"
// The explicit non-default port, 0 when there is none.
double port_of(const ParsedUrl& url);

}  // namespace orvel::url
