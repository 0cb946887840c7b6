#include "core/formula_store.h"

#include <vector>

namespace orvel::core {

const AstNode* copy_tree(const AstNode* root, AstArena& into) {
    // Each copied parent reserves its child list; the children fill the slots as they are made.
    struct Pending {
        const AstNode* node;
        const AstNode** slot;
    };
    const AstNode* copied_root = nullptr;
    std::vector<Pending> stack{{root, &copied_root}};
    while (!stack.empty()) {
        Pending next = stack.back();
        stack.pop_back();
        AstNode* copy = into.new_node(next.node->kind);
        *copy = *next.node;
        copy->text = into.store(next.node->text);
        copy->text2 = into.store(next.node->text2);
        if (next.node->child_count > 0) {
            const AstNode** children = into.new_child_list(next.node->child_count);
            copy->child_list = children;
            for (std::size_t i = next.node->child_count; i > 0; --i) {
                stack.push_back({next.node->child(i - 1), &children[i - 1]});
            }
        }
        *next.slot = copy;
    }
    return copied_root;
}

FormulaStore::Stored FormulaStore::add(const AstNode* root) {
    const std::size_t before = arena_.bytes_used();
    Stored kept;
    kept.code = flattener_.flatten(root, arena_);
    if (kept.code.empty()) kept.root = copy_tree(root, arena_);
    kept.bytes = arena_.bytes_used() - before;
    return kept;
}

FormulaStore::Stored FormulaStore::add(const Stored& formula) {
    const std::size_t before = arena_.bytes_used();
    Stored kept;
    kept.code = copy_code(formula.code, arena_);
    if (formula.root) kept.root = copy_tree(formula.root, arena_);
    kept.bytes = arena_.bytes_used() - before;
    return kept;
}

bool FormulaStore::wants_compaction() const noexcept {
    const std::size_t live = arena_.bytes_used() - garbage_;
    return garbage_ > live + (std::size_t{1} << 20);
}

}  // namespace orvel::core
