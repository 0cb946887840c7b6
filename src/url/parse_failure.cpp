#include "url/parse_failure.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "url/url_parse.h"

namespace orvel::url {
namespace {

constexpr std::string_view kEmptyHost = "empty host";
constexpr std::string_view kInvalidDomainName = "invalid international domain name";
constexpr std::string_view kInvalidPort = "invalid port number";
constexpr std::string_view kInvalidIpv4 = "invalid IPv4 address";
constexpr std::string_view kInvalidIpv6 = "invalid IPv6 address";
constexpr std::string_view kInvalidDomainCharacter = "invalid domain character";
constexpr std::string_view kRelativeWithoutBase = "relative URL without a base";
constexpr std::string_view kCannotBeABaseBase = "relative URL with a cannot-be-a-base base";

// The characters that may not appear in the host of a URL with a non-special scheme.
constexpr std::string_view kForbiddenOpaqueHostChars("\0\t\n\r #/:<>?@[\\]^|", 17);

bool is_ascii_alpha(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_ascii_digit(char c) noexcept {
    return c >= '0' && c <= '9';
}

bool is_special_scheme(std::string_view scheme) noexcept {
    return scheme == "http" || scheme == "https" || scheme == "ws" || scheme == "wss" ||
           scheme == "ftp" || scheme == "file";
}

bool is_slash(char c, bool special) noexcept {
    return c == '/' || (special && c == '\\');
}

bool starts_with_two_slashes(std::string_view text, bool special) noexcept {
    return text.size() >= 2 && is_slash(text[0], special) && is_slash(text[1], special);
}

// The text as the parser reads it: without leading and trailing C0 controls and blanks, and
// without any tab or newline.
std::string cleaned(std::string_view input) {
    std::size_t begin = 0;
    std::size_t end = input.size();
    while (begin < end && static_cast<unsigned char>(input[begin]) <= 0x20) ++begin;
    while (end > begin && static_cast<unsigned char>(input[end - 1]) <= 0x20) --end;
    std::string out;
    out.reserve(end - begin);
    for (char c : input.substr(begin, end - begin)) {
        if (c != '\t' && c != '\n' && c != '\r') out.push_back(c);
    }
    return out;
}

struct SchemeSplit {
    std::string scheme;  // lower case
    std::string_view rest;
};

// A leading ALPHA *(ALPHA / DIGIT / "+" / "-" / ".") ":" and what follows it.
std::optional<SchemeSplit> split_scheme(std::string_view text) {
    if (text.empty() || !is_ascii_alpha(text[0])) return std::nullopt;
    std::size_t end = 1;
    while (end < text.size() && (is_ascii_alpha(text[end]) || is_ascii_digit(text[end]) ||
                                 text[end] == '+' || text[end] == '-' || text[end] == '.')) {
        ++end;
    }
    if (end == text.size() || text[end] != ':') return std::nullopt;
    std::string scheme(text.substr(0, end));
    for (char& c : scheme) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return SchemeSplit{std::move(scheme), text.substr(end + 1)};
}

struct HostAndPort {
    std::string_view host;
    std::optional<std::string_view> port;
};

// The host ends at the first ":" outside square brackets.
HostAndPort split_host_and_port(std::string_view authority) noexcept {
    bool in_brackets = false;
    for (std::size_t i = 0; i < authority.size(); ++i) {
        char c = authority[i];
        if (c == '[') {
            in_brackets = true;
        } else if (c == ']') {
            in_brackets = false;
        } else if (c == ':' && !in_brackets) {
            return {authority.substr(0, i), authority.substr(i + 1)};
        }
    }
    return {authority, std::nullopt};
}

std::string_view without_userinfo(std::string_view authority) noexcept {
    std::size_t at = authority.rfind('@');
    return at == std::string_view::npos ? authority : authority.substr(at + 1);
}

bool is_valid_port(std::string_view port) noexcept {
    std::uint32_t value = 0;
    for (char c : port) {
        if (!is_ascii_digit(c)) return false;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
        if (value > 65535) return false;
    }
    return true;
}

// Hosts of special schemes all go through the same host parser, so an http URL with nothing but
// the host tells whether the host alone is acceptable.
bool special_host_parses(std::string_view host) {
    std::string probe = "http://";
    probe.append(host);
    probe.push_back('/');
    return parses_as_absolute(probe);
}

// Square brackets hold an IPv6 address, which must parse.
std::optional<std::string_view> bracketed_host_failure(std::string_view host) {
    if (host.size() < 2 || host.back() != ']' || !special_host_parses(host)) return kInvalidIpv6;
    return std::nullopt;
}

std::optional<std::string_view> special_host_failure(std::string_view host) {
    if (host.front() == '[') return bracketed_host_failure(host);
    if (special_host_parses(host)) return std::nullopt;
    // A domain whose last label is a number must be an IPv4 address. With a letter label after
    // it the same text is an ordinary domain, which parses exactly when only the address failed.
    std::string as_domain(host);
    if (as_domain.back() != '.') as_domain.push_back('.');
    as_domain.push_back('a');
    return special_host_parses(as_domain) ? kInvalidIpv4 : kInvalidDomainName;
}

// http, https, ws, wss, ftp: any run of slashes, then the authority up to "/ \ ? #".
std::string_view special_authority_failure(std::string_view rest) {
    std::size_t start = rest.find_first_not_of("/\\");
    rest.remove_prefix(start == std::string_view::npos ? rest.size() : start);
    std::string_view authority = rest.substr(0, rest.find_first_of("/\\?#"));
    auto [host, port] = split_host_and_port(without_userinfo(authority));
    if (host.empty()) return kEmptyHost;
    if (auto failure = special_host_failure(host)) return *failure;
    if (port && !is_valid_port(*port)) return kInvalidPort;
    return kInvalidDomainName;  // no rule explains it; the host is all that can fail here
}

// file: a host only after two slashes, up to "/ \ ? #", with no port.
std::string_view file_failure(std::string_view rest) {
    if (!starts_with_two_slashes(rest, true)) return kInvalidDomainName;
    rest.remove_prefix(2);
    std::string_view host = rest.substr(0, rest.find_first_of("/\\?#"));
    if (host.empty() || host == "localhost") return kInvalidDomainName;
    if (host.front() == '[') return bracketed_host_failure(host).value_or(kInvalidDomainName);
    if (host.find(':') != std::string_view::npos) return kInvalidDomainName;
    return special_host_failure(host).value_or(kInvalidDomainName);
}

// Other schemes after "//": the authority up to "/ ? #", an opaque host up to ":".
std::string_view opaque_authority_failure(std::string_view rest) {
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    bool has_userinfo = authority.find('@') != std::string_view::npos;
    auto [host, port] = split_host_and_port(without_userinfo(authority));
    if (host.empty()) return port || has_userinfo ? kEmptyHost : kInvalidDomainCharacter;
    if (host.front() == '[') {
        if (auto failure = bracketed_host_failure(host)) return *failure;
    } else if (host.find_first_of(kForbiddenOpaqueHostChars) != std::string_view::npos) {
        return kInvalidDomainCharacter;
    }
    if (port && !is_valid_port(*port)) return kInvalidPort;
    return kInvalidDomainCharacter;
}

// `rest` follows "scheme:"; only the authority of a URL can make it fail.
std::string_view authority_failure(std::string_view scheme, std::string_view rest) {
    if (scheme == "file") return file_failure(rest);
    if (is_special_scheme(scheme)) return special_authority_failure(rest);
    if (starts_with_two_slashes(rest, false)) return opaque_authority_failure(rest.substr(2));
    return kInvalidDomainCharacter;  // an opaque path never fails
}

}  // namespace

std::string_view describe_parse_failure(std::string_view input) {
    std::string text = cleaned(input);
    auto split = split_scheme(text);
    if (!split) return kRelativeWithoutBase;
    return authority_failure(split->scheme, split->rest);
}

std::string_view describe_join_failure(std::string_view reference, std::string_view base_scheme,
                                       bool base_has_opaque_path) {
    std::string text = cleaned(reference);
    auto split = split_scheme(text);
    if (!split) {
        if (base_has_opaque_path && (text.empty() || text.front() != '#')) {
            return kCannotBeABaseBase;
        }
        // "//host..." takes the base's scheme; other relative references cannot fail.
        if (starts_with_two_slashes(text, is_special_scheme(base_scheme))) {
            return authority_failure(base_scheme, text);
        }
        return kInvalidDomainName;
    }
    // "http:x" on an http base is relative to the base's authority and cannot fail either.
    if (is_special_scheme(split->scheme) && split->scheme == base_scheme &&
        !starts_with_two_slashes(split->rest, true)) {
        return kInvalidDomainName;
    }
    return authority_failure(split->scheme, split->rest);
}

}  // namespace orvel::url
