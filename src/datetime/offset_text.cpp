#include "datetime/offset_text.h"

namespace orvel::datetime {

namespace {

void append_two_digits(std::string& out, std::int32_t value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

}  // namespace

void append_offset_display(std::string& out, std::int32_t seconds) {
    const std::int32_t magnitude = seconds < 0 ? -seconds : seconds;
    out += seconds < 0 ? '-' : '+';
    append_two_digits(out, magnitude / 3600);
    const std::int32_t minutes = magnitude / 60 % 60;
    const std::int32_t secs = magnitude % 60;
    if (minutes != 0 || secs != 0) {
        out += ':';
        append_two_digits(out, minutes);
    }
    if (secs != 0) {
        out += ':';
        append_two_digits(out, secs);
    }
}

std::int32_t round_offset_to_minutes(std::int32_t seconds) noexcept {
    std::int32_t magnitude = seconds < 0 ? -seconds : seconds;
    magnitude = (magnitude + 30) / 60 * 60;
    return seconds < 0 ? -magnitude : magnitude;
}

void append_offset_rounded(std::string& out, std::int32_t seconds) {
    const std::int32_t rounded = round_offset_to_minutes(seconds);
    const std::int32_t magnitude = rounded < 0 ? -rounded : rounded;
    out += seconds < 0 ? '-' : '+';
    append_two_digits(out, magnitude / 3600);
    out += ':';
    append_two_digits(out, magnitude / 60 % 60);
}

void append_offset_truncated(std::string& out, std::int32_t seconds) {
    const std::int64_t magnitude = seconds < 0 ? -std::int64_t{seconds} : seconds;
    out += seconds < 0 ? '-' : '+';
    append_two_digits(out, static_cast<std::int32_t>(magnitude / 3600));
    out += ':';
    append_two_digits(out, static_cast<std::int32_t>(magnitude % 3600 / 60));
}

}  // namespace orvel::datetime
