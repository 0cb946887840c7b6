#include "url/form.h"

#include <cstddef>

#include "url/percent.h"
#include "url/utf8.h"

namespace orvel::url {
namespace {

bool has_escapes(std::string_view part) noexcept {
    for (char c : part) {
        if (c == '+' || c == '%') return true;
    }
    return false;
}

// Decoded names are only compared, so they reuse one buffer and skip decoding when nothing in
// them is encoded.
class NameDecoder {
public:
    // The decoded name, valid until the next call.
    std::string_view decode(std::string_view part) {
        if (!has_escapes(part) && is_valid_utf8(part)) return part;
        bytes_.clear();
        append_form_decoded(bytes_, part);
        if (is_valid_utf8(bytes_)) return bytes_;
        text_.clear();
        append_utf8_lossy(text_, bytes_);
        return text_;
    }

private:
    std::string bytes_;
    std::string text_;
};

std::string decode_value(std::string_view part) {
    std::string bytes;
    append_form_decoded(bytes, part);
    if (is_valid_utf8(bytes)) return bytes;
    std::string text;
    append_utf8_lossy(text, bytes);
    return text;
}

}  // namespace

std::string form_value(std::string_view query, std::string_view name) {
    NameDecoder names;
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string_view::npos) end = query.size();
        std::string_view piece = query.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) continue;

        std::size_t equals = piece.find('=');
        if (names.decode(piece.substr(0, equals)) != name) continue;
        if (equals == std::string_view::npos) return {};
        return decode_value(piece.substr(equals + 1));
    }
    return {};
}

}  // namespace orvel::url
