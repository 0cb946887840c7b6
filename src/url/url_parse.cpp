#include "url/url_parse.h"

#include <charconv>
#include <cstdint>

#include "url/utf8.h"

namespace orvel::url {
namespace {

std::string_view without_prefix(std::string_view text, char prefix) noexcept {
    if (!text.empty() && text.front() == prefix) text.remove_prefix(1);
    return text;
}

}  // namespace

std::optional<ParsedUrl> parse_absolute(std::string_view text) {
    if (!is_valid_utf8(text)) return std::nullopt;
    auto parsed = ada::parse<ParsedUrl>(text);
    if (!parsed) return std::nullopt;
    return std::move(*parsed);
}

std::optional<ParsedUrl> parse_against(std::string_view text, const ParsedUrl& base) {
    if (!is_valid_utf8(text)) return std::nullopt;
    auto parsed = ada::parse<ParsedUrl>(text, &base);
    if (!parsed) return std::nullopt;
    return std::move(*parsed);
}

bool parses_as_absolute(std::string_view text) {
    return is_valid_utf8(text) && ada::can_parse(text);
}

std::string_view scheme_of(const ParsedUrl& url) {
    std::string_view protocol = url.get_protocol();
    if (!protocol.empty() && protocol.back() == ':') protocol.remove_suffix(1);
    return protocol;
}

std::string_view host_of(const ParsedUrl& url) {
    // get_host would append ":port"; the hostname keeps IPv6 brackets.
    return url.get_hostname();
}

std::string_view query_of(const ParsedUrl& url) {
    return without_prefix(url.get_search(), '?');
}

std::string_view fragment_of(const ParsedUrl& url) {
    return without_prefix(url.get_hash(), '#');
}

double port_of(const ParsedUrl& url) {
    std::string_view digits = url.get_port();
    std::uint32_t port = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), port);
    return port;
}

}  // namespace orvel::url
