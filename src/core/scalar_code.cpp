#include "core/scalar_code.h"

#include <algorithm>
#include <string>

#include "core/operators.h"
#include "core/values.h"

namespace orvel::core {

namespace {

// Longer formulas are left to the tree walk, and so are trees that use a shared subtree (a
// name's definition) more than once: the walk evaluates it once, code would repeat it.
constexpr std::size_t kMaxOpsPerFormula = std::size_t{1} << 16;

// The instruction of a leaf, or false for a leaf that is not a single value. Texts are filled in
// when the code is stored.
bool leaf_op(const AstNode* node, ScalarOp& op) noexcept {
    op = ScalarOp{};
    switch (node->kind) {
        case NodeKind::Number:
            op.code = ScalarOp::Code::Number;
            op.number = node->number;
            return true;
        case NodeKind::Boolean:
            op.code = ScalarOp::Code::Boolean;
            op.arg = node->boolean ? 1 : 0;
            return true;
        case NodeKind::Text:
            op.code = ScalarOp::Code::Text;
            return node->text.size() <= UINT32_MAX;
        case NodeKind::CellRef:
            if (node->col == UINT32_MAX) {
                // Read by id text, as the tree walk reads it.
                op.code = ScalarOp::Code::CellById;
                return node->text.size() <= UINT32_MAX - 10;  // room for the row's digits
            }
            op.code = ScalarOp::Code::Cell;
            op.col = node->col;
            op.row = node->row;
            return true;
        default: return false;
    }
}

// The instruction of an operator node once its operands are on the stack, or false.
bool operator_op(const AstNode* node, ScalarOp& op) noexcept {
    op = ScalarOp{};
    switch (node->kind) {
        case NodeKind::UnaryOp:
            op.code = ScalarOp::Code::Sign;
            op.arg = static_cast<std::uint8_t>(node->op);
            return node->child_count == 1;
        case NodeKind::BinaryOp: {
            // An unknown operator fails before its operands are read: left to the tree walk.
            auto code = binary_op_code(node->op);
            if (!code) return false;
            op.code = ScalarOp::Code::Binary;
            op.arg = static_cast<std::uint8_t>(*code);
            return node->child_count == 2;
        }
        case NodeKind::Compare:
            op.code = ScalarOp::Code::Compare;
            op.arg = static_cast<std::uint8_t>(node->compare);
            return node->child_count == 2;
        default: return false;
    }
}

void set_text(ScalarOp& op, std::string_view stored) noexcept {
    op.chars = stored.data();
    op.col = static_cast<std::uint32_t>(stored.size());
}

bool has_text(const ScalarOp& op) noexcept {
    return op.code == ScalarOp::Code::Text || op.code == ScalarOp::Code::CellById;
}

}  // namespace

std::span<const ScalarOp> ScalarFlattener::flatten(const AstNode* root, AstArena& into) {
    ops_.clear();
    text_leaves_.clear();
    if (!root || !flatten_ops(root)) return {};
    ScalarOp* code = into.new_array<ScalarOp>(ops_.size());
    std::copy(ops_.begin(), ops_.end(), code);
    std::size_t next_leaf = 0;
    for (std::size_t i = 0; i < ops_.size(); ++i) {
        if (!has_text(code[i])) continue;
        const AstNode* leaf = text_leaves_[next_leaf++];
        if (code[i].code == ScalarOp::Code::Text) {
            set_text(code[i], into.store(leaf->text));
        } else {
            set_text(code[i], into.store(cell_id(leaf->text, leaf->row)));
        }
    }
    return {code, ops_.size()};
}

bool ScalarFlattener::flatten_ops(const AstNode* root) {
    // Post-order with an explicit stack: operator chains may be 100000 deep.
    frames_.clear();
    if (!shared_seen_.empty()) shared_seen_.clear();
    frames_.push_back({root, 0});
    std::size_t visited = 0;
    ScalarOp op;
    while (!frames_.empty()) {
        Frame& frame = frames_.back();
        const AstNode* node = frame.node;
        if (frame.next_child == 0) {
            // Checked before the operands, so that a call over a large tree is given up at once.
            const bool fits = node->child_count == 0 ? leaf_op(node, op) : operator_op(node, op);
            if (!fits || ++visited > kMaxOpsPerFormula) return false;
            if (node->shared && !shared_seen_.insert(node).second) return false;
            if (node->child_count == 0) {
                if (has_text(op)) text_leaves_.push_back(node);
                ops_.push_back(op);
                frames_.pop_back();
                continue;
            }
        }
        if (frame.next_child < node->child_count) {
            frames_.push_back({node->child(frame.next_child++), 0});
            continue;
        }
        operator_op(node, op);
        ops_.push_back(op);
        frames_.pop_back();
    }
    return true;
}

std::span<const ScalarOp> copy_code(std::span<const ScalarOp> code, AstArena& into) {
    if (code.empty()) return {};
    ScalarOp* copy = into.new_array<ScalarOp>(code.size());
    std::copy(code.begin(), code.end(), copy);
    for (std::size_t i = 0; i < code.size(); ++i) {
        if (has_text(copy[i])) set_text(copy[i], into.store(code[i].text()));
    }
    return {copy, code.size()};
}

}  // namespace orvel::core
