// Named definitions: the checks a new name must pass, the tree of a definition, and the
// substitution of definitions for the names in a formula.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/ast.h"
#include "core/expected.h"
#include "core/name_table.h"

namespace orvel::core {

// Error texts of a resolution that went past a bound; they read back as "#VALUE!" errors.
inline constexpr std::string_view kNameTooDeepText = "#VALUE! name expansion too deep";
inline constexpr std::string_view kNameTooLargeText = "#VALUE! name expansion too large";

// The message of the first check a name fails, or none for an acceptable name.
std::optional<std::string> check_name(std::string_view name);

// The tree of one definition: a "="-led text parsed as a formula, a finite decimal number, or
// else the whole text as a text literal.
Expected<Ast, std::string> parse_definition(std::string_view text);

// Substitutes the definitions of one version of the name table, which must stay unchanged
// while the resolver is used (the trees it made stay valid after). Each name is parsed and
// resolved once, on first use, and its tree shared by every formula and every occurrence that
// uses it, so definitions built from each other cost linear work. The root of each substituted
// definition is marked `shared` (unless it is a literal or a reference), so that evaluation and
// dependency collection can take it once per formula. Resolution is bounded: a chain of
// names deeper than kMaxNameDepth, a tree nested deeper than kMaxExpandedDepth, or more than
// kMaxExpandedNodes nodes brought in by names give kNameTooDeepText or kNameTooLargeText.
class NameResolver {
public:
    explicit NameResolver(const NameTable& names) : names_(names) {}
    NameResolver(const NameResolver&) = delete;
    NameResolver& operator=(const NameResolver&) = delete;

    // The tree with every Name node replaced, or the first error text in reading order. New
    // nodes go into `arena`; the result may share nodes of `root` and of this resolver, so both
    // must outlive it.
    Expected<const AstNode*, std::string> resolve(const AstNode* root, AstArena& arena);

private:
    struct Resolved {
        const AstNode* node;
        std::uint64_t size;    // nodes with every shared subtree counted at each use
        std::uint64_t depth;   // nesting, not counting the left operand of an operator
        std::uint32_t height;  // longest chain of names inside
    };
    enum class State : std::uint8_t { Unvisited, InProgress, Done };
    struct Entry {
        State state = State::Unvisited;
        Ast tree;
        std::optional<Resolved> result;
        std::string error;
    };

    Expected<Resolved, std::string> resolve_tree(const AstNode* root, AstArena& arena,
                                                 std::uint32_t level);
    Expected<Resolved, std::string> resolve_name(std::string_view name, std::uint32_t level);

    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };

    const NameTable& names_;
    std::unordered_map<std::string, Entry, TextHash, std::equal_to<>> entries_;
    AstArena arena_;  // nodes rebuilt inside definitions
};

}  // namespace orvel::core
