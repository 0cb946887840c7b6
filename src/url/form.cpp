#include "url/form.h"

#include <cstddef>

#include "url/percent.h"
#include "url/utf8.h"

namespace orvel::url {
namespace {

// Decodes names and values one after another, reusing its buffers.
class FormDecoder {
public:
    // The decoded text of one name or value, valid until the next call.
    std::string_view decode(std::string_view part) {
        if (part.find_first_of("+%") == std::string_view::npos && is_valid_utf8(part)) {
            return part;
        }
        blanks_.assign(part);
        for (char& c : blanks_) {
            if (c == '+') c = ' ';
        }
        bytes_.clear();
        append_percent_decoded(bytes_, blanks_);
        text_.clear();
        append_utf8_lossy(text_, bytes_);
        return text_;
    }

private:
    std::string blanks_;
    std::string bytes_;
    std::string text_;
};

}  // namespace

std::string form_value(std::string_view query, std::string_view name) {
    FormDecoder decoder;
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string_view::npos) end = query.size();
        std::string_view piece = query.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) continue;

        std::size_t equals = piece.find('=');
        if (decoder.decode(piece.substr(0, equals)) != name) continue;
        if (equals == std::string_view::npos) return {};
        return std::string(decoder.decode(piece.substr(equals + 1)));
    }
    return {};
}

}  // namespace orvel::url
