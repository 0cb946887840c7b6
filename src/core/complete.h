// Editor services over a formula being typed: the call around the cursor, signature help and
// completion. Offsets count characters from the start of the formula, whose leading "=" is at
// offset 0, so a cursor can never fall inside a multi-byte character.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue.h"
#include "core/registry.h"

namespace orvel::core {

struct CallAtCursor {
    std::string name;          // upper case
    std::size_t active_param;  // commas typed so far in the call
};

// The innermost function call whose parentheses are open at the cursor; none outside any call,
// inside a plain parenthesis, for a text without a leading "=" or one that does not lex.
std::optional<CallAtCursor> innermost_call_at_cursor(std::string_view formula, std::size_t cursor);

struct SignatureHelp {
    FunctionInfo function;
    std::size_t active_param;  // 0-based, not limited by the parameter count
};

// The built-in (by name, then alias) of the call at the cursor.
std::optional<SignatureHelp> signature_help(std::string_view formula, std::size_t cursor);
// As signature_help, then the registry's custom functions (ASCII case ignored).
std::optional<SignatureHelp> signature_help_with_registry(const Registry& registry,
                                                          std::string_view formula,
                                                          std::size_t cursor);

enum class CompletionKind : std::uint8_t { Function, Name };

struct CompletionItem {
    CompletionKind kind;
    std::string label;
    std::string insert;
    std::optional<std::string> detail;
    std::optional<std::string> documentation;
};

// The editor replaces the characters [replace_start, replace_end) with the chosen item's insert.
struct CompletionList {
    std::size_t replace_start = 0;
    std::size_t replace_end = 0;
    std::vector<CompletionItem> items;
};

// Functions (built-ins, then the registry's when given) and the given names that begin with
// the identifier before the cursor, sorted by label.
CompletionList complete_inner(std::string_view formula, std::size_t cursor,
                              std::span<const std::string> names, const Registry* registry);
CompletionList complete(std::string_view formula, std::size_t cursor,
                        std::span<const std::string> names);

}  // namespace orvel::core
