#include "core/ast_print.h"

#include <vector>

#include "core/number_text.h"
#include "core/values.h"

namespace orvel::core {

namespace {

std::string_view compare_text(CompareOp op) {
    switch (op) {
        case CompareOp::Eq: return "=";
        case CompareOp::Ne: return "<>";
        case CompareOp::Lt: return "<";
        case CompareOp::Le: return "<=";
        case CompareOp::Gt: return ">";
        case CompareOp::Ge: return ">=";
    }
    return "?";
}

void append_leaf(std::string& out, const AstNode* node) {
    switch (node->kind) {
        case NodeKind::Number: append_number(out, node->number); break;
        case NodeKind::Text:
            out += '"';
            out += node->text;
            out += '"';
            break;
        case NodeKind::Boolean: out += node->boolean ? "TRUE" : "FALSE"; break;
        case NodeKind::CellRef: out += cell_id(node->text, node->row); break;
        case NodeKind::SpillRef: out += cell_id(node->text, node->row) + "#"; break;
        case NodeKind::Range:
            out += cell_id(node->text, node->row) + ":" + cell_id(node->text2, node->row2);
            break;
        case NodeKind::ColumnRange:
            out += node->text;
            out += ':';
            out += node->text2;
            break;
        case NodeKind::RowRange:
            out += std::to_string(node->row) + ":" + std::to_string(node->row2);
            break;
        case NodeKind::Name: out += node->text; break;
        default: break;
    }
}

}  // namespace

std::string to_sexpr(const AstNode* root) {
    std::string out;
    struct Frame {
        const AstNode* node;
        std::size_t next;
    };
    std::vector<Frame> stack{{root, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const AstNode* node = frame.node;
        const bool is_array = node->kind == NodeKind::ArrayLiteral;
        if (frame.next == 0) {
            switch (node->kind) {
                case NodeKind::BinaryOp:
                    out += '(';
                    out += node->op;
                    break;
                case NodeKind::UnaryOp:
                    out += "(u";
                    out += node->op;
                    break;
                case NodeKind::Compare:
                    out += '(';
                    out += compare_text(node->compare);
                    break;
                case NodeKind::FunctionCall:
                    out += '(';
                    out += node->text;
                    break;
                case NodeKind::ArrayLiteral: out += '{'; break;
                default:
                    append_leaf(out, node);
                    stack.pop_back();
                    continue;
            }
        }
        if (frame.next < node->child_count) {
            if (is_array) {
                if (frame.next > 0) out += (frame.next % node->cols == 0) ? ';' : ',';
            } else {
                out += ' ';
            }
            const AstNode* child = node->child_list[frame.next++];
            stack.push_back({child, 0});
            continue;
        }
        out += is_array ? '}' : ')';
        stack.pop_back();
    }
    return out;
}

}  // namespace orvel::core
