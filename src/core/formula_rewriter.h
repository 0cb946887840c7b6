// Splicing replacements into a formula's text. Replacements come left to right and never
// overlap; a formula that receives none is handed back as it is, without building anything.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "core/ref_scan.h"

namespace orvel::core {

class FormulaRewriter {
public:
    // `formula` starts with "=", and token byte offsets count from the character after it.
    explicit FormulaRewriter(std::string_view formula) noexcept : formula_(formula) {}

    // Drops the body's bytes [begin, end) and returns the text to append the replacement to.
    std::string& replace(std::size_t begin, std::size_t end) {
        if (!edited_) {
            out_.reserve(formula_.size() + 16);
            edited_ = true;
        }
        out_.append(formula_.substr(copied_, begin + 1 - copied_));
        copied_ = end + 1;
        return out_;
    }

    std::string& replace(const RawToken& token) {
        return replace(token.byte_start, token.byte_end);
    }
    std::string& replace(const RawToken& first, const RawToken& last) {
        return replace(first.byte_start, last.byte_end);
    }

    bool edited() const noexcept { return edited_; }

    std::string finish() && {
        if (!edited_) return std::string(formula_);
        out_.append(formula_.substr(copied_));
        return std::move(out_);
    }

private:
    std::string_view formula_;
    std::string out_;
    std::size_t copied_ = 0;  // formula bytes already passed on
    bool edited_ = false;
};

// Runs `edit(reference, rewriter)` over every reference of the formula. The formula comes back
// unchanged when it is empty, lacks the "=", does not lex or receives no edit.
template <class Edit>
std::string rewrite_references(std::string_view formula, Edit&& edit) {
    if (formula.empty() || formula[0] != '=') return std::string(formula);
    ReferenceScanner scanner(formula.substr(1));
    FormulaRewriter rewriter(formula);
    while (auto ref = scanner.next()) edit(*ref, rewriter);
    if (scanner.failed()) return std::string(formula);
    return std::move(rewriter).finish();
}

}  // namespace orvel::core
