#include "core/eval.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/dispatch.h"
#include "core/limits.h"
#include "core/number_text.h"
#include "core/operators.h"
#include "core/parser.h"
#include "core/unicode.h"

namespace orvel::core {

namespace {

class EmptyLookup final : public CellLookup {
public:
    CellValue cell(std::uint32_t, std::uint32_t) const override { return {}; }
    CellValue cell_by_id(std::string_view) const override { return {}; }
    void read_block(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                    CellValue*) const override {}  // the block is Empty already
};

FormulaError out_of_memory() { return FormulaError::size("out of memory"); }

FormulaError pending_limit_error() {
    return FormulaError::size("evaluation exceeds " + std::to_string(kMaxPendingBytes) +
                              " bytes of intermediate values");
}

FormulaError too_many_cells(std::string_view what) {
    return FormulaError::size(std::string(what) + " exceeds " + std::to_string(kMaxCells) +
                              " cells");
}

CellValue read_cell(const CellLookup& lookup, const AstNode* ref) {
    // Letters past the last column number are read by their id text.
    if (ref->col == UINT32_MAX) return lookup.cell_by_id(cell_id(ref->text, ref->row));
    return lookup.cell(ref->col, ref->row);
}

// Whether a value of `bytes` more fits under the bound on pending values.
bool fits_pending(std::size_t pending, std::size_t bytes) noexcept {
    return bytes <= kMaxPendingBytes - std::min(pending, kMaxPendingBytes);
}

// Results of shared subtrees kept for reuse within one evaluation hold at most this many bytes
// (estimated as for pending values); past it, later uses evaluate their subtree again.
constexpr std::size_t kMaxReusedBytes = kMaxPendingBytes;

// What the walk reads besides the tree.
struct Context {
    const CellLookup& lookup;
    const SpillResolver* resolver;
    std::uint32_t max_row;
    std::uint32_t max_col;
    const Registry& registry;
};

}  // namespace

struct EvalScratch::Stacks {
    struct Frame {
        const AstNode* node;
        std::size_t next_child;
        std::size_t first_value;
    };
    // Per value: an estimate of the memory it holds, and the part of it that is built text.
    struct Held {
        std::size_t bytes;
        std::size_t text;
    };
    // A value of flattened code, with its `Held::bytes`.
    struct Slot {
        CellValue value;
        std::size_t bytes;
    };
    // A shared subtree under evaluation: the state to compare and restore when it ends.
    struct SharedFrame {
        std::uint64_t calls_before;  // ObservableCalls::count() at its start
        std::size_t pending_before;
        std::size_t outer_peak;
    };
    // The result of a shared subtree, for its later uses in the same evaluation.
    struct Reuse {
        ArrayValue value;
        std::size_t text;        // its Held::text
        std::size_t peak_above;  // the most pending bytes its evaluation held above its start
    };
    std::vector<Frame> frames;
    std::vector<ArrayValue> values;
    std::vector<Held> held;
    std::vector<Slot> slots;
    std::vector<SharedFrame> shared_frames;
    std::unordered_map<const AstNode*, Reuse> reuse;

    void clear() noexcept {
        frames.clear();
        values.clear();
        held.clear();
        slots.clear();
        shared_frames.clear();
        // Clearing an empty map would still sweep its buckets.
        if (!reuse.empty()) reuse.clear();
    }
};

EvalScratch::EvalScratch() : stacks_(std::make_unique<Stacks>()) {}
EvalScratch::~EvalScratch() = default;
EvalScratch::EvalScratch(EvalScratch&&) noexcept = default;
EvalScratch& EvalScratch::operator=(EvalScratch&&) noexcept = default;

namespace {

// Evaluates a tree with explicit stacks instead of recursion, so that no tree, however deep,
// can exhaust the C stack. Children are evaluated left to right; their results wait on the
// value stack until their parent combines them. The first failure ends the whole walk.
//
// A subtree marked `shared` (a definition standing for a name) is evaluated once and its result
// reused at its later uses, unless its evaluation made an observable call (ObservableCalls),
// which must then happen again at every use. A reuse gives exactly what evaluating again would
// give: the same value, and the same failure when the pending values it held on the way would
// no longer fit. Failures need no reuse: the first one ends the walk.
class Walk {
public:
    Walk(const Context& context, EvalScratch::Stacks& stacks)
        : stacks_(stacks),
          context_(context),
          frames_(stacks.frames),
          values_(stacks.values),
          held_(stacks.held) {}
    // Leaves the stacks empty but keeps their memory for the next walk.
    ~Walk() { stacks_.clear(); }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

    EvalResult run(const AstNode* root);

private:
    using Frame = EvalScratch::Stacks::Frame;
    using Held = EvalScratch::Stacks::Held;

    EvalResult leaf(const AstNode* node) const;
    std::optional<FormulaError> check_before_children(const AstNode* node) const;
    EvalResult combine(const AstNode* node, std::size_t first_value, std::size_t& text_bytes);
    EvalResult unary(char op, const ArrayValue& operand) const;
    EvalResult array_literal(const AstNode* node, std::size_t first_value);
    void keep_top_left();

    bool push(ArrayValue value, std::size_t text_bytes);
    void pop_to(std::size_t count);
    // Pushes the result of `node`, keeping it for reuse when the node is shared.
    bool finish(const AstNode* node, ArrayValue value, std::size_t text_bytes);
    void begin_shared();
    void end_shared(const AstNode* node, const ArrayValue& value, std::size_t text_bytes);
    bool reuse(const EvalScratch::Stacks::Reuse& kept);

    EvalScratch::Stacks& stacks_;
    const Context& context_;
    std::vector<Frame>& frames_;
    std::vector<ArrayValue>& values_;
    std::vector<Held>& held_;
    std::size_t pending_bytes_ = 0;
    std::size_t peak_bytes_ = 0;  // the most pending bytes since the innermost shared start
    std::size_t reused_bytes_ = 0;
};

EvalResult Walk::run(const AstNode* root) {
    frames_.push_back({root, 0, 0});
    while (!frames_.empty()) {
        Frame& frame = frames_.back();
        const AstNode* node = frame.node;
        if (frame.next_child == 0) {
            if (node->shared) {
                auto kept = stacks_.reuse.find(node);
                if (kept != stacks_.reuse.end()) {
                    if (!reuse(kept->second)) return unexpected(pending_limit_error());
                    frames_.pop_back();
                    continue;
                }
                begin_shared();
            }
            if (is_leaf(node->kind)) {
                EvalResult value = leaf(node);
                if (!value) return value;
                std::size_t text = node->kind == NodeKind::Text ? node->text.size() : 0;
                if (!finish(node, std::move(*value), text)) {
                    return unexpected(pending_limit_error());
                }
                frames_.pop_back();
                continue;
            }
            if (auto failure = check_before_children(node)) return unexpected(std::move(*failure));
            frame.first_value = values_.size();
        } else if (node->kind == NodeKind::ArrayLiteral) {
            keep_top_left();
        }
        if (frame.next_child < node->child_count) {
            const AstNode* child = node->child(frame.next_child++);
            frames_.push_back({child, 0, 0});
            continue;
        }
        const std::size_t first_value = frame.first_value;
        std::size_t text_bytes = 0;
        EvalResult result = combine(node, first_value, text_bytes);
        if (!result) return result;
        pop_to(first_value);
        if (!finish(node, std::move(*result), text_bytes)) return unexpected(pending_limit_error());
        frames_.pop_back();
    }
    return std::move(values_.back());
}

EvalResult Walk::leaf(const AstNode* node) const {
    const CellLookup& lookup = context_.lookup;
    switch (node->kind) {
        case NodeKind::Number: return ArrayValue::scalar(CellValue::number(node->number));
        case NodeKind::Text: return ArrayValue::scalar(CellValue::text(node->text));
        case NodeKind::Boolean: return ArrayValue::scalar(CellValue::boolean(node->boolean));
        case NodeKind::CellRef: return ArrayValue::scalar(read_cell(lookup, node));
        case NodeKind::SpillRef: {
            const SpillResolver* resolver = context_.resolver;
            const ArrayValue* spilled = nullptr;
            if (resolver && node->col == UINT32_MAX) {
                spilled = resolver->spilled_by_id(cell_id(node->text, node->row));
            } else if (resolver) {
                spilled = resolver->spilled(node->col, node->row);
            }
            if (!spilled) return ArrayValue::scalar(CellValue::error(ErrorKind::Ref));
            return *spilled;
        }
        case NodeKind::Range:
            return expand_range(lookup, node->col, node->row, node->col2, node->row2);
        case NodeKind::ColumnRange:
            return expand_range(lookup, node->col, 1, node->col2, context_.max_row);
        case NodeKind::RowRange:
            return expand_range(lookup, 1, node->row, context_.max_col, node->row2);
        case NodeKind::Name: return unexpected(FormulaError(ErrorKind::UnknownName));
        default: throw InternalError("not a leaf node");
    }
}

std::optional<FormulaError> Walk::check_before_children(const AstNode* node) const {
    if (node->kind == NodeKind::BinaryOp && !binary_op_code(node->op)) {
        return FormulaError::other("Unknown operator: " + std::string(1, node->op));
    }
    if (node->kind == NodeKind::ArrayLiteral &&
        std::uint64_t{node->rows} * node->cols > kMaxCells) {
        return too_many_cells("array literal");
    }
    return std::nullopt;
}

EvalResult Walk::combine(const AstNode* node, std::size_t first_value, std::size_t& text_bytes) {
    const Registry& registry = context_.registry;
    switch (node->kind) {
        case NodeKind::BinaryOp:
            return broadcast_binop(*binary_op_code(node->op), values_[first_value],
                                   values_[first_value + 1], registry, &text_bytes);
        case NodeKind::Compare:
            return broadcast_compare(node->compare, values_[first_value],
                                     values_[first_value + 1], registry);
        case NodeKind::UnaryOp: return unary(node->op, values_[first_value]);
        case NodeKind::FunctionCall: {
            std::span<const ArrayValue> args(values_.data() + first_value,
                                             values_.size() - first_value);
            CallEffects effects;
            EvalResult result = call_function(node->text, node->builtin, args, registry, effects);
            text_bytes = effects.text_built;
            if (effects.passes_arguments) {
                for (std::size_t i = first_value; i < values_.size(); ++i) {
                    text_bytes += held_[i].text;
                }
            }
            return result;
        }
        case NodeKind::ArrayLiteral: {
            for (std::size_t i = first_value; i < values_.size(); ++i) text_bytes += held_[i].text;
            return array_literal(node, first_value);
        }
        default: throw InternalError("not an inner node");
    }
}

EvalResult Walk::unary(char op, const ArrayValue& operand) const {
    std::vector<CellValue> out;
    out.reserve(operand.size());
    for (const CellValue& element : operand) {
        auto value = eval_unary_op(op, element);
        if (!value) return unexpected(std::move(value).error());
        out.push_back(std::move(*value));
    }
    return ArrayValue(operand.rows(), operand.cols(), std::move(out));
}

// An array literal element keeps only the top-left value of its result; dropping the rest at
// once keeps a literal of large ranges small.
void Walk::keep_top_left() {
    ArrayValue& last = values_.back();
    if (last.is_scalar()) return;
    std::size_t text = held_.back().text;
    CellValue top_left = last.first();
    std::size_t kept_text = top_left.is_text() ? top_left.text_view().size() : 0;
    pop_to(values_.size() - 1);
    push(ArrayValue::scalar(std::move(top_left)), std::min(text, kept_text));
}

EvalResult Walk::array_literal(const AstNode* node, std::size_t first_value) {
    std::vector<CellValue> cells;
    cells.reserve(values_.size() - first_value);
    for (std::size_t i = first_value; i < values_.size(); ++i) {
        cells.push_back(std::move(values_[i].data()[0]));
    }
    return ArrayValue(node->rows, node->cols, std::move(cells));
}

bool Walk::push(ArrayValue value, std::size_t text_bytes) {
    const std::size_t bytes = value.size() * sizeof(CellValue) + text_bytes;
    if (!fits_pending(pending_bytes_, bytes)) return false;
    pending_bytes_ += bytes;
    peak_bytes_ = std::max(peak_bytes_, pending_bytes_);
    values_.push_back(std::move(value));
    held_.push_back({bytes, text_bytes});
    return true;
}

bool Walk::finish(const AstNode* node, ArrayValue value, std::size_t text_bytes) {
    if (node->shared) end_shared(node, value, text_bytes);
    return push(std::move(value), text_bytes);
}

void Walk::begin_shared() {
    stacks_.shared_frames.push_back({ObservableCalls::count(), pending_bytes_, peak_bytes_});
    peak_bytes_ = pending_bytes_;
}

void Walk::end_shared(const AstNode* node, const ArrayValue& value, std::size_t text_bytes) {
    const EvalScratch::Stacks::SharedFrame started = stacks_.shared_frames.back();
    stacks_.shared_frames.pop_back();
    const std::size_t peak_above = peak_bytes_ - started.pending_before;
    peak_bytes_ = std::max(started.outer_peak, peak_bytes_);
    if (ObservableCalls::count() != started.calls_before) return;
    const std::size_t bytes = value.size() * sizeof(CellValue) + text_bytes;
    if (bytes > kMaxReusedBytes - reused_bytes_) return;
    reused_bytes_ += bytes;
    stacks_.reuse.emplace(node, EvalScratch::Stacks::Reuse{value, text_bytes, peak_above});
}

bool Walk::reuse(const EvalScratch::Stacks::Reuse& kept) {
    if (!fits_pending(pending_bytes_, kept.peak_above)) return false;
    peak_bytes_ = std::max(peak_bytes_, pending_bytes_ + kept.peak_above);
    return push(kept.value, kept.text);
}

void Walk::pop_to(std::size_t count) {
    while (values_.size() > count) {
        pending_bytes_ -= held_.back().bytes;
        values_.pop_back();
        held_.pop_back();
    }
}

// Runs flattened code as the walk runs the tree it came from: operands in the same order, the
// same operator functions on single values, the same estimate of pending memory.
class CodeRun {
public:
    CodeRun(const Context& context, EvalScratch::Stacks& stacks)
        : stacks_(stacks), context_(context), slots_(stacks.slots) {}
    ~CodeRun() { stacks_.clear(); }
    CodeRun(const CodeRun&) = delete;
    CodeRun& operator=(const CodeRun&) = delete;

    Expected<CellValue, FormulaError> run(std::span<const ScalarOp> code);

private:
    using Slot = EvalScratch::Stacks::Slot;

    bool push(CellValue value, std::size_t text_bytes) {
        const std::size_t bytes = sizeof(CellValue) + text_bytes;
        if (!fits_pending(pending_bytes_, bytes)) return false;
        pending_bytes_ += bytes;
        slots_.push_back({std::move(value), bytes});
        return true;
    }
    // Replaces the top `operands` values by their result.
    bool replace(std::size_t operands, CellValue value, std::size_t text_bytes) {
        for (std::size_t i = 0; i < operands; ++i) {
            pending_bytes_ -= slots_.back().bytes;
            slots_.pop_back();
        }
        return push(std::move(value), text_bytes);
    }

    EvalScratch::Stacks& stacks_;
    const Context& context_;
    std::vector<Slot>& slots_;
    std::size_t pending_bytes_ = 0;
};

Expected<CellValue, FormulaError> CodeRun::run(std::span<const ScalarOp> code) {
    if (code.empty()) throw InternalError("no code to run");
    const Registry& registry = context_.registry;
    for (const ScalarOp& op : code) {
        bool fits = true;
        switch (op.code) {
            case ScalarOp::Code::Number: fits = push(CellValue::number(op.number), 0); break;
            case ScalarOp::Code::Boolean: fits = push(CellValue::boolean(op.arg != 0), 0); break;
            case ScalarOp::Code::Text:
                fits = push(CellValue::text(op.text()), op.text().size());
                break;
            case ScalarOp::Code::Cell: fits = push(context_.lookup.cell(op.col, op.row), 0); break;
            case ScalarOp::Code::CellById:
                fits = push(context_.lookup.cell_by_id(op.text()), 0);
                break;
            case ScalarOp::Code::Sign: {
                auto value = eval_unary_op(static_cast<char>(op.arg), slots_.back().value);
                if (!value) return unexpected(std::move(value).error());
                fits = replace(1, std::move(*value), 0);
                break;
            }
            case ScalarOp::Code::Binary: {
                const std::size_t top = slots_.size();
                const auto binary = static_cast<BinaryOpCode>(op.arg);
                const CellValue& left = slots_[top - 2].value;
                const CellValue& right = slots_[top - 1].value;
                if (binary != BinaryOpCode::Concat && left.is_number() && right.is_number()) {
                    // What scalar_binop gives two plain numbers, without its result wrapper.
                    double number = 0;
                    if (!number_arithmetic(binary, left.as_double(), right.as_double(), number)) {
                        return unexpected(FormulaError(ErrorKind::DivByZero));
                    }
                    fits = replace(2, CellValue::number(number), 0);
                    break;
                }
                std::size_t text_bytes = 0;
                auto value = scalar_binop(binary, left, right, registry, &text_bytes);
                if (!value) return unexpected(std::move(value).error());
                fits = replace(2, std::move(*value), text_bytes);
                break;
            }
            case ScalarOp::Code::Compare: {
                const std::size_t top = slots_.size();
                auto value = scalar_compare(static_cast<CompareOp>(op.arg), slots_[top - 2].value,
                                            slots_[top - 1].value, registry);
                if (!value) return unexpected(std::move(value).error());
                fits = replace(2, std::move(*value), 0);
                break;
            }
        }
        if (!fits) return unexpected(pending_limit_error());
    }
    return std::move(slots_.back().value);
}

}  // namespace

const CellLookup& empty_lookup() noexcept {
    static const EmptyLookup lookup;
    return lookup;
}

Evaluator::Evaluator(const CellLookup& lookup, std::uint32_t max_row, std::uint32_t max_col,
                     const Registry& registry) noexcept
    : lookup_(lookup), max_row_(max_row), max_col_(max_col), registry_(registry) {}

Evaluator& Evaluator::with_spill_resolver(const SpillResolver* resolver) noexcept {
    resolver_ = resolver;
    return *this;
}

EvalResult Evaluator::eval_node(const AstNode* node) const {
    try {
        EvalScratch scratch;
        return eval_node(node, scratch);
    } catch (const std::bad_alloc&) {
        return unexpected(out_of_memory());
    }
}

EvalResult Evaluator::eval_node(const AstNode* node, EvalScratch& scratch) const {
    const Context context{lookup_, resolver_, max_row_, max_col_, registry_};
    try {
        Walk walk(context, scratch.stacks());
        return walk.run(node);
    } catch (const std::bad_alloc&) {
        return unexpected(out_of_memory());
    } catch (const std::length_error&) {
        return unexpected(out_of_memory());
    }
}

Expected<CellValue, FormulaError> Evaluator::eval_code(std::span<const ScalarOp> code,
                                                       EvalScratch& scratch) const {
    const Context context{lookup_, resolver_, max_row_, max_col_, registry_};
    try {
        CodeRun run(context, scratch.stacks());
        return run.run(code);
    } catch (const std::bad_alloc&) {
        return unexpected(out_of_memory());
    } catch (const std::length_error&) {
        return unexpected(out_of_memory());
    }
}

Expected<CellValue, FormulaError> Evaluator::evaluate(std::string_view text) const {
    try {
        if (!text.empty() && text.front() == '=') {
            auto ast = Parser::parse(text);
            if (!ast) return unexpected(FormulaError::from(ast.error()));
            EvalResult result = eval_node(ast->root());
            if (!result) return unexpected(std::move(result).error());
            return result->first();
        }
        return classify_literal(text, registry_);
    } catch (const std::bad_alloc&) {
        return unexpected(out_of_memory());
    } catch (const std::length_error&) {
        return unexpected(out_of_memory());
    }
}

EvalResult expand_range(const CellLookup& lookup, std::uint32_t col1, std::uint32_t row1,
                        std::uint32_t col2, std::uint32_t row2) {
    const std::uint32_t first_col = std::min(col1, col2), last_col = std::max(col1, col2);
    const std::uint32_t first_row = std::min(row1, row2), last_row = std::max(row1, row2);
    const std::uint64_t cols = std::uint64_t{last_col} - first_col + 1;
    const std::uint64_t rows = std::uint64_t{last_row} - first_row + 1;
    // Each factor is checked first: the product of two full spans would not fit in 64 bits.
    if (cols > kMaxCells || rows > kMaxCells || cols * rows > kMaxCells) {
        return unexpected(too_many_cells("range"));
    }
    std::vector<CellValue> cells(static_cast<std::size_t>(cols * rows));
    lookup.read_block(first_col, first_row, static_cast<std::uint32_t>(cols),
                      static_cast<std::uint32_t>(rows), cells.data());
    return ArrayValue(static_cast<std::uint32_t>(rows), static_cast<std::uint32_t>(cols),
                      std::move(cells));
}

std::optional<bool> parse_bool_literal(std::string_view text) noexcept {
    if (equals_ignore_ascii_case(text, "true")) return true;
    if (equals_ignore_ascii_case(text, "false")) return false;
    return std::nullopt;
}

CellValue classify_literal(std::string_view text, const Registry& registry) {
    // Custom types first, so that a handler may claim "1" or "TRUE".
    if (registry.has_types()) {
        if (auto custom = registry.parse_literal(text)) return std::move(*custom);
    }
    if (auto number = parse_decimal(text); number && std::isfinite(*number)) {
        return CellValue::number(*number);
    }
    if (auto boolean = parse_bool_literal(text)) return CellValue::boolean(*boolean);
    if (text.empty()) return CellValue();
    return CellValue::text(text);
}

Expected<CellValue, FormulaError> evaluate_one_shot(std::string_view text) {
    const Registry registry;
    const Evaluator evaluator(empty_lookup(), 1000, 26, registry);
    return evaluator.evaluate(text);
}

}  // namespace orvel::core
