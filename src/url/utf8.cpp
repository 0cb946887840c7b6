#include "url/utf8.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orvel::url {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The well-formed byte sequences of the Unicode standard (table 3-7): the length a lead byte
// announces and the range its second byte must fall in; later bytes are always 80..BF.
struct LeadByte {
    std::size_t length;  // 0 for a byte that starts no sequence
    unsigned char second_low = 0x80;
    unsigned char second_high = 0xBF;
};

constexpr LeadByte lead_byte(unsigned char b) noexcept {
    if (b < 0x80) return {1};
    if (b >= 0xC2 && b <= 0xDF) return {2};
    if (b == 0xE0) return {3, 0xA0, 0xBF};
    if (b == 0xED) return {3, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {3};
    if (b == 0xF0) return {4, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3) return {4};
    if (b == 0xF4) return {4, 0x80, 0x8F};
    return {0};
}

// The number of bytes at `at` that belong to one well-formed character (`valid` set), or to the
// longest prefix of one (the maximal subpart, at least one byte, `valid` cleared).
std::size_t sequence_at(std::string_view bytes, std::size_t at, bool& valid) noexcept {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    LeadByte lead = lead_byte(byte(at));
    valid = false;
    if (lead.length == 0) return 1;
    std::size_t taken = 1;
    while (taken < lead.length && at + taken < bytes.size()) {
        unsigned char b = byte(at + taken);
        unsigned char low = taken == 1 ? lead.second_low : 0x80;
        unsigned char high = taken == 1 ? lead.second_high : 0xBF;
        if (b < low || b > high) return taken;
        ++taken;
    }
    valid = taken == lead.length;
    return taken;
}

// URLs are mostly ASCII: skip eight such bytes at a time.
std::size_t ascii_prefix_length(std::string_view bytes, std::size_t at) noexcept {
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    while (at + 8 <= bytes.size()) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        if ((word & kHighBits) != 0) break;
        at += 8;
    }
    return at;
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) noexcept {
    std::size_t at = 0;
    while (at < bytes.size()) {
        at = ascii_prefix_length(bytes, at);
        if (at == bytes.size()) break;
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        bool valid;
        at += sequence_at(bytes, at, valid);
        if (!valid) return false;
    }
    return true;
}

void append_utf8_lossy(std::string& out, std::string_view bytes) {
    std::size_t run_start = 0;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        bool valid;
        std::size_t length = sequence_at(bytes, at, valid);
        if (!valid) {
            out.append(bytes.substr(run_start, at - run_start));
            out.append(kReplacement);
            run_start = at + length;
        }
        at += length;
    }
    out.append(bytes.substr(run_start));
}

}  // namespace orvel::url
