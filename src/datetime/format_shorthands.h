// Directives that stand for a sequence of others, read the same way by strftime and strptime.
#pragma once

#include <optional>
#include <string_view>

namespace orvel::datetime {

inline std::optional<std::string_view> shorthand_expansion(char directive) noexcept {
    switch (directive) {
        case 'D': return "%m/%d/%y";
        case 'F': return "%Y-%m-%d";
        case 'R': return "%H:%M";
        case 'T': return "%H:%M:%S";
        default: return std::nullopt;
    }
}

}  // namespace orvel::datetime
