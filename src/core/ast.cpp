#include "core/ast.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace orvel::core {

namespace {
// Small first block (most formulas are a handful of nodes), doubling up to a cap.
constexpr std::size_t kFirstBlock = 512;
constexpr std::size_t kLargestBlock = 16384;
}  // namespace

void* AstArena::allocate(std::size_t bytes, std::size_t align) {
    std::size_t pad =
        remaining_ == 0 ? 0 : (align - reinterpret_cast<std::uintptr_t>(cursor_) % align) % align;
    if (remaining_ < pad + bytes) {
        std::size_t grown = blocks_.empty() ? kFirstBlock : std::min(kLargestBlock, last_block_ * 2);
        std::size_t size = std::max(grown, bytes + align);
        last_block_ = grown;
        blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
        cursor_ = blocks_.back().get();
        remaining_ = size;
        pad = (align - reinterpret_cast<std::uintptr_t>(cursor_) % align) % align;
    }
    void* out = cursor_ + pad;
    cursor_ += pad + bytes;
    remaining_ -= pad + bytes;
    used_total_ += pad + bytes;
    return out;
}

AstNode* AstArena::new_node(NodeKind kind) {
    static_assert(std::is_trivially_destructible_v<AstNode>);
    auto* node = new (allocate(sizeof(AstNode), alignof(AstNode))) AstNode();
    node->kind = kind;
    return node;
}

std::string_view AstArena::store(std::string_view text) {
    if (text.empty()) return {};
    auto* bytes = static_cast<char*>(allocate(text.size(), 1));
    std::memcpy(bytes, text.data(), text.size());
    return {bytes, text.size()};
}

const AstNode** AstArena::new_child_list(std::size_t count) {
    if (count == 0) return nullptr;
    auto* list = static_cast<const AstNode**>(allocate(sizeof(AstNode*) * count, alignof(AstNode*)));
    std::fill_n(list, count, nullptr);
    return list;
}

}  // namespace orvel::core
