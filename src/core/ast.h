// Syntax trees of formulas. Nodes live in an arena and are freed all at once, never by a
// recursive walk; nodes are immutable once built, so trees may share subtrees.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

namespace orvel::core {

enum class NodeKind : std::uint8_t {
    Number,
    Text,
    Boolean,
    CellRef,
    Range,
    ColumnRange,
    RowRange,
    Name,
    BinaryOp,
    UnaryOp,
    FunctionCall,
    ArrayLiteral,
    SpillRef,
    Compare,
};

enum class CompareOp : std::uint8_t { Eq, Ne, Lt, Le, Gt, Ge };

// Whether nodes of `kind` stand for a value of their own (literals, references, names) rather
// than an operation on children. A call or an array literal is an operation even without any.
constexpr bool is_leaf(NodeKind kind) noexcept {
    switch (kind) {
        case NodeKind::BinaryOp:
        case NodeKind::UnaryOp:
        case NodeKind::Compare:
        case NodeKind::FunctionCall:
        case NodeKind::ArrayLiteral: return false;
        default: return true;
    }
}

// A call node's `builtin`: the row of the built-in table its name denotes, found once by the
// parser so that evaluation never compares names. Nodes built elsewhere stay unresolved.
inline constexpr std::uint8_t kBuiltinUnresolved = 0xFF;
inline constexpr std::uint8_t kNotBuiltin = 0xFE;

// One node. Which fields are meaningful depends on `kind`:
//   Number       number
//   Text         text (the literal's content)
//   Boolean      boolean
//   CellRef      text = column letters, col, row
//   SpillRef     text = column letters, col, row (the anchor)
//   Range        text/col/row = written start, text2/col2/row2 = written end
//   ColumnRange  text/col = start letters, text2/col2 = end letters
//   RowRange     row = start, row2 = end
//   Name         text = the identifier, upper-case
//   BinaryOp     op = '+', '-', '*', '/', '^', '%' or '&'; children = {left, right}
//   UnaryOp      op = '+' or '-'; children = {operand}
//   FunctionCall text = name, upper-case; children = arguments; builtin = its table row
//   ArrayLiteral rows x cols elements in children, row-major
//   Compare      compare; children = {left, right}
// Column numbers are 1-based and saturate at UINT32_MAX.
// `shared` marks the root of a definition substituted for a name: the same node stands at every
// use of the name, so walks that meet it again may reuse what they found the first time.
struct AstNode {
    NodeKind kind = NodeKind::Number;
    char op = 0;
    CompareOp compare = CompareOp::Eq;
    bool boolean = false;
    std::uint8_t builtin = kBuiltinUnresolved;
    bool shared = false;
    std::uint32_t row = 0;
    std::uint32_t row2 = 0;
    std::uint32_t col = 0;
    std::uint32_t col2 = 0;
    std::uint32_t rows = 0;  // ArrayLiteral shape
    std::uint32_t cols = 0;
    double number = 0;
    std::string_view text;
    std::string_view text2;
    const AstNode* const* child_list = nullptr;
    std::size_t child_count = 0;

    std::span<const AstNode* const> children() const noexcept { return {child_list, child_count}; }
    const AstNode* child(std::size_t i) const noexcept { return child_list[i]; }
};

// Bump allocator for nodes, their child lists and their texts. Every allocation lives until the
// arena goes; nothing has a destructor to run.
class AstArena {
public:
    AstArena() = default;
    AstArena(AstArena&&) noexcept = default;
    AstArena& operator=(AstArena&&) noexcept = default;
    AstArena(const AstArena&) = delete;
    AstArena& operator=(const AstArena&) = delete;

    AstNode* new_node(NodeKind kind);
    std::string_view store(std::string_view text);
    const AstNode** new_child_list(std::size_t count);
    // Room for `count` objects of a type without a destructor, left uninitialised.
    template <class T>
    T* new_array(std::size_t count) {
        static_assert(std::is_trivially_destructible_v<T>);
        return static_cast<T*>(allocate(sizeof(T) * count, alignof(T)));
    }
    // Bytes held by the arena (for bounding the size of derived trees).
    std::size_t bytes_used() const noexcept { return used_total_; }

private:
    void* allocate(std::size_t bytes, std::size_t align);

    std::vector<std::unique_ptr<std::byte[]>> blocks_;
    std::byte* cursor_ = nullptr;
    std::size_t remaining_ = 0;
    std::size_t used_total_ = 0;
    std::size_t last_block_ = 0;
};

// A parsed formula: its arena and its root node.
class Ast {
public:
    Ast() = default;
    Ast(AstArena arena, const AstNode* root) noexcept : arena_(std::move(arena)), root_(root) {}
    const AstNode* root() const noexcept { return root_; }
    AstArena& arena() noexcept { return arena_; }

private:
    AstArena arena_;
    const AstNode* root_ = nullptr;
};

// Calls `visit(node)` for every node of the tree in pre-order, children left to right, with an
// explicit stack (trees may be deep along chains of binary operators). Shared subtrees are
// visited once per reference.
template <class Visit>
void for_each_node(const AstNode* root, Visit&& visit) {
    std::vector<const AstNode*> stack;
    stack.push_back(root);
    while (!stack.empty()) {
        const AstNode* node = stack.back();
        stack.pop_back();
        visit(node);
        for (std::size_t i = node->child_count; i > 0; --i) stack.push_back(node->child_list[i - 1]);
    }
}

}  // namespace orvel::core
