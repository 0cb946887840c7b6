// The bound on text that one operation may build into its result.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/limits.h"
#include "core/values.h"

namespace orvel::core {

// Counts the text bytes an operation builds for one result, up to kMaxTextBytes.
class TextBudget {
public:
    // `owner` names the operator or function in the failure message.
    explicit TextBudget(std::string_view owner) noexcept : owner_(owner) {}

    // Takes `bytes` more; false (taking nothing) when that would pass the bound.
    bool take(std::size_t bytes) noexcept {
        if (bytes > kMaxTextBytes - used_) return false;
        used_ += bytes;
        return true;
    }
    std::size_t used() const noexcept { return used_; }

    // "<owner>: result exceeds 104857600 bytes of text"
    FormulaError exceeded() const {
        return FormulaError::size(std::string(owner_) + ": result exceeds " +
                                  std::to_string(kMaxTextBytes) + " bytes of text");
    }

private:
    std::string_view owner_;
    std::size_t used_ = 0;
};

}  // namespace orvel::core
