#include "core/names.h"

#include <algorithm>
#include <cmath>

#include "core/builtins.h"
#include "core/debug_quote.h"
#include "core/lexer.h"
#include "core/limits.h"
#include "core/number_text.h"
#include "core/parser.h"
#include "core/unicode.h"

namespace orvel::core {

namespace {

bool is_ascii_letter(char c) noexcept {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool is_ascii_digit(char c) noexcept {
    return c >= '0' && c <= '9';
}

std::string invalid_name(std::string_view name, std::string_view reason) {
    std::string message = "Invalid name ";
    append_debug_quoted(message, name);
    message += ": ";
    message += reason;
    return message;
}

// A decimal number as a definition may write it: digits (with at most one point) and an
// optional exponent, after an optional sign. parse_decimal also reads "inf" and "nan", which a
// definition keeps as text.
bool is_plain_decimal(std::string_view text) noexcept {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    bool digits = false;
    while (i < text.size() && is_ascii_digit(text[i])) ++i, digits = true;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && is_ascii_digit(text[i])) ++i, digits = true;
    }
    if (!digits) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        bool exponent = false;
        while (i < text.size() && is_ascii_digit(text[i])) ++i, exponent = true;
        if (!exponent) return false;
    }
    return i == text.size();
}

// The root of a resolved definition as a node of its own marked `shared`, so that a tree which
// uses the name several times may evaluate it once. Literals and references are cheap to read
// again and stay unmarked.
const AstNode* mark_shared(const AstNode* root, AstArena& arena) {
    // A definition that is only another name already has that name's marked root.
    if (is_leaf(root->kind) || root->shared) return root;
    AstNode* marked = arena.new_node(root->kind);
    *marked = *root;
    marked->shared = true;
    return marked;
}

std::uint64_t add_saturating(std::uint64_t a, std::uint64_t b) noexcept {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

}  // namespace

std::optional<std::string> check_name(std::string_view name) {
    if (name.empty()) return std::string("Name must not be empty");
    if (!is_ascii_letter(name[0]) && name[0] != '_') {
        return invalid_name(name, "must start with a letter or underscore");
    }
    for (char c : name.substr(1)) {
        if (!is_ascii_letter(c) && !is_ascii_digit(c) && c != '_') {
            return invalid_name(name, "only letters, digits, and underscores allowed");
        }
    }
    std::string upper = to_upper_full(name);
    if (auto tokens = Lexer(upper).tokenize()) {
        TokenType first = tokens->front().kind;
        if (first == TokenType::Boolean) return invalid_name(name, "shadows a boolean literal");
        if (first == TokenType::CellRef) return invalid_name(name, "looks like a cell reference");
    }
    if (find_builtin(upper)) return invalid_name(name, "shadows a built-in function");
    return std::nullopt;
}

Expected<Ast, std::string> parse_definition(std::string_view text) {
    if (!text.empty() && text[0] == '=') return Parser::parse(text);
    AstArena arena;
    AstNode* node = nullptr;
    std::optional<double> number;
    if (is_plain_decimal(text)) number = parse_decimal(text);
    if (number && std::isfinite(*number)) {
        node = arena.new_node(NodeKind::Number);
        node->number = *number;
    } else {
        node = arena.new_node(NodeKind::Text);
        node->text = arena.store(text);
    }
    return Ast(std::move(arena), node);
}

Expected<const AstNode*, std::string> NameResolver::resolve(const AstNode* root, AstArena& arena) {
    auto resolved = resolve_tree(root, arena, 0);
    if (!resolved) return unexpected(std::move(resolved).error());
    return resolved->node;
}

Expected<NameResolver::Resolved, std::string> NameResolver::resolve_name(std::string_view name,
                                                                         std::uint32_t level) {
    if (level > kMaxNameDepth) return unexpected(std::string(kNameTooDeepText));
    const std::string* definition = names_.find(name);
    if (!definition) return unexpected(std::string("#NAME?"));
    auto it = entries_.find(name);
    if (it == entries_.end()) it = entries_.emplace(std::string(name), Entry{}).first;
    Entry& entry = it->second;
    switch (entry.state) {
        case State::Done:
            if (!entry.result) return unexpected(entry.error);
            // The same chain bound as a fresh resolution from this level would meet.
            if (level + entry.result->height > kMaxNameDepth) {
                return unexpected(std::string(kNameTooDeepText));
            }
            return *entry.result;
        case State::InProgress:
            return unexpected(std::string("#CIRCULAR!"));
        case State::Unvisited:
            break;
    }
    entry.state = State::InProgress;
    auto tree = parse_definition(*definition);
    if (!tree) {
        entry.state = State::Done;
        entry.error = std::move(tree).error();
        return unexpected(entry.error);
    }
    entry.tree = std::move(*tree);
    auto resolved = resolve_tree(entry.tree.root(), arena_, level);
    // `entry` stays valid: inserting other names into the map moves no element.
    if (!resolved && resolved.error() == kNameTooDeepText) {
        // The chain bound depends on where the name was reached from; try again next time.
        entry.state = State::Unvisited;
        return resolved;
    }
    entry.state = State::Done;
    if (!resolved) {
        entry.error = resolved.error();
        return resolved;
    }
    resolved->node = mark_shared(resolved->node, arena_);
    entry.result = *resolved;
    return resolved;
}

Expected<NameResolver::Resolved, std::string> NameResolver::resolve_tree(const AstNode* root,
                                                                         AstArena& arena,
                                                                         std::uint32_t level) {
    // Post-order over an explicit stack: operator chains may be very long. The leaves are met
    // left to right, so the first failing name is the first in reading order.
    struct Frame {
        const AstNode* node;
        std::size_t next_child;
        std::size_t first_result;
    };
    struct Partial {
        Resolved resolved;
        std::uint64_t named;  // nodes brought in by names
    };
    std::vector<Frame> stack{{root, 0, 0}};
    std::vector<Partial> results;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const AstNode* node = frame.node;
        if (node->kind == NodeKind::Name) {
            auto named = resolve_name(node->text, level + 1);
            if (!named) return named;
            Resolved r = *named;
            r.height += 1;
            results.push_back({r, r.size});
            stack.pop_back();
            continue;
        }
        if (frame.next_child < node->child_count) {
            const AstNode* child = node->child(frame.next_child++);
            stack.push_back({child, 0, results.size()});
            continue;
        }
        Partial out{{node, 1, 0, 0}, 0};
        bool changed = false;
        const std::size_t first = frame.first_result;
        for (std::size_t i = 0; i < node->child_count; ++i) {
            const Partial& child = results[first + i];
            changed |= child.resolved.node != node->child(i);
            out.resolved.size = add_saturating(out.resolved.size, child.resolved.size);
            out.named = add_saturating(out.named, child.named);
            out.resolved.height = std::max(out.resolved.height, child.resolved.height);
            bool left_operand =
                i == 0 && (node->kind == NodeKind::BinaryOp || node->kind == NodeKind::Compare);
            out.resolved.depth =
                std::max(out.resolved.depth, child.resolved.depth + (left_operand ? 0 : 1));
        }
        if (node->child_count == 0 && node->kind == NodeKind::FunctionCall) out.resolved.depth = 1;
        if (out.named > kMaxExpandedNodes) return unexpected(std::string(kNameTooLargeText));
        if (out.named > 0 && out.resolved.depth > kMaxExpandedDepth) {
            return unexpected(std::string(kNameTooDeepText));
        }
        if (changed) {
            AstNode* copy = arena.new_node(node->kind);
            *copy = *node;
            const AstNode** children = arena.new_child_list(node->child_count);
            for (std::size_t i = 0; i < node->child_count; ++i) {
                children[i] = results[first + i].resolved.node;
            }
            copy->child_list = children;
            out.resolved.node = copy;
        }
        results.resize(first);
        results.push_back(out);
        stack.pop_back();
    }
    return results.back().resolved;
}

}  // namespace orvel::core
