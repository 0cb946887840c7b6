#include "core/scalar_code.h"

#include "core/operators.h"

namespace orvel::core {

namespace {

// Longer formulas are left to the tree walk: trees that share subtrees (names used many times)
// would otherwise flatten into code far larger than the trees themselves.
constexpr std::size_t kMaxOpsPerFormula = std::size_t{1} << 16;

// The instruction of a leaf, or false for a leaf that is not a single value.
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
            op.node = node;
            return true;
        case NodeKind::CellRef:
            if (node->col == UINT32_MAX) {
                op.code = ScalarOp::Code::CellById;
                op.node = node;
            } else {
                op.code = ScalarOp::Code::Cell;
                op.col = node->col;
                op.row = node->row;
            }
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

}  // namespace

void ScalarCode::add(const AstNode* root) {
    if (root && !flatten(root)) ops_.resize(starts_.back());
    starts_.push_back(ops_.size());
}

bool ScalarCode::flatten(const AstNode* root) {
    // Post-order with an explicit stack: operator chains may be 100000 deep.
    std::vector<Frame>& stack = frames_;
    stack.clear();
    stack.push_back({root, 0});
    std::size_t visited = 0;
    ScalarOp op;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const AstNode* node = frame.node;
        if (frame.next_child == 0) {
            // Checked before the operands, so that a call over a large tree is given up at once.
            const bool fits = node->child_count == 0 ? leaf_op(node, op) : operator_op(node, op);
            if (!fits || ++visited > kMaxOpsPerFormula) return false;
            if (node->child_count == 0) {
                ops_.push_back(op);
                stack.pop_back();
                continue;
            }
        }
        if (frame.next_child < node->child_count) {
            stack.push_back({node->child(frame.next_child++), 0});
            continue;
        }
        operator_op(node, op);
        ops_.push_back(op);
        stack.pop_back();
    }
    return true;
}

}  // namespace orvel::core
