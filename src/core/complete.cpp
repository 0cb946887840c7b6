#include "core/complete.h"

#include <algorithm>

#include "core/lexer.h"
#include "core/unicode.h"

namespace orvel::core {

namespace {

bool is_continuation(char c) noexcept {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte length of the character at `at`, counted as the lexer counts: a stray byte is one.
std::size_t sequence_length(std::string_view s, std::size_t at) noexcept {
    auto lead = static_cast<unsigned char>(s[at]);
    std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (at + n > s.size()) return 1;
    for (std::size_t i = 1; i < n; ++i) {
        if (!is_continuation(s[at + i])) return 1;
    }
    return n;
}

// Byte offset of character `chars`, or the text's size when it has fewer characters.
std::size_t byte_offset(std::string_view s, std::size_t chars) noexcept {
    std::size_t at = 0;
    for (; chars > 0 && at < s.size(); --chars) at += sequence_length(s, at);
    return at;
}

// The part of a formula before the cursor, lexed: the text after "=" up to the cursor clamped
// to the formula's length.
struct TextBeforeCursor {
    std::size_t end = 0;  // the clamped cursor, in characters
    std::string_view text;
};

std::optional<TextBeforeCursor> text_before_cursor(std::string_view formula, std::size_t cursor) {
    if (formula.empty() || formula[0] != '=') return std::nullopt;
    TextBeforeCursor out;
    out.end = std::min(cursor, count_chars(formula));
    std::size_t end_byte = byte_offset(formula, out.end);
    if (end_byte > 1) out.text = formula.substr(1, end_byte - 1);
    return out;
}

std::string parameter_label(const BuiltinParam& param) {
    std::string label(param.name);
    if (param.optional) label += '?';
    return label;
}

std::string builtin_detail(const BuiltinRow& row) {
    std::string detail(row.name);
    detail += '(';
    bool first = true;
    for (const BuiltinParam& param : row.params) {
        if (!first) detail += ", ";
        detail += parameter_label(param);
        first = false;
    }
    if (row.variadic) {
        if (!first) detail += ", ";
        detail += row.variadic->name;
        detail += ", ...";
    }
    detail += ')';
    return detail;
}

std::string builtin_documentation(const BuiltinRow& row) {
    std::string doc(row.description);
    if (!row.examples.empty()) {
        doc += "\n\nExamples:";
        for (const BuiltinExample& example : row.examples) {
            doc += "\n  ";
            doc += example.formula;
            doc += " \u2192 ";
            doc += example.result;
        }
    }
    return doc;
}

bool starts_with(std::string_view text, std::string_view prefix) noexcept {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::optional<CallAtCursor> innermost_call_at_cursor(std::string_view formula, std::size_t cursor) {
    auto before = text_before_cursor(formula, cursor);
    if (!before) return std::nullopt;
    auto tokens = Lexer(before->text).tokenize();
    if (!tokens) return std::nullopt;

    struct Frame {
        std::optional<std::string> name;
        std::size_t commas = 0;
    };
    std::vector<Frame> frames;
    const std::vector<Token>& list = *tokens;
    for (std::size_t i = 0; i < list.size() && list[i].kind != TokenType::Eof; ++i) {
        const Token& token = list[i];
        if (token.kind == TokenType::Function && i + 1 < list.size() &&
            list[i + 1].kind == TokenType::LParen) {
            frames.push_back({token.text, 0});
            ++i;
        } else if (token.kind == TokenType::LParen) {
            frames.push_back({std::nullopt, 0});
        } else if (token.kind == TokenType::RParen) {
            if (!frames.empty()) frames.pop_back();
        } else if (token.kind == TokenType::Comma) {
            if (!frames.empty()) ++frames.back().commas;
        }
    }
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
        if (!it->name) return std::nullopt;
        if (it->name->empty()) continue;
        return CallAtCursor{std::move(*it->name), it->commas};
    }
    return std::nullopt;
}

std::optional<SignatureHelp> signature_help(std::string_view formula, std::size_t cursor) {
    auto call = innermost_call_at_cursor(formula, cursor);
    if (!call) return std::nullopt;
    auto row = find_builtin(call->name);
    if (!row) return std::nullopt;
    return SignatureHelp{function_info(builtins()[*row]), call->active_param};
}

std::optional<SignatureHelp> signature_help_with_registry(const Registry& registry,
                                                          std::string_view formula,
                                                          std::size_t cursor) {
    auto call = innermost_call_at_cursor(formula, cursor);
    if (!call) return std::nullopt;
    if (auto row = find_builtin(call->name)) {
        return SignatureHelp{function_info(builtins()[*row]), call->active_param};
    }
    if (const CustomFunction* function = registry.find_function(call->name)) {
        return SignatureHelp{custom_function_info(function->name()), call->active_param};
    }
    return std::nullopt;
}

CompletionList complete_inner(std::string_view formula, std::size_t cursor,
                              std::span<const std::string> names, const Registry* registry) {
    auto before = text_before_cursor(formula, cursor);
    if (!before) return {cursor, cursor, {}};
    const std::size_t end = before->end;
    auto tokens = Lexer(before->text).tokenize();
    if (!tokens) return {end, end, {}};

    std::size_t start = end;
    const std::vector<Token>& list = *tokens;
    if (list.size() >= 2) {
        const Token& last = list[list.size() - 2];
        const std::size_t token_start = 1 + last.position;
        switch (last.kind) {
            case TokenType::Function:
            case TokenType::CellRef:
                if (token_start + last.length != end) return {end, end, {}};
                start = token_start;
                break;
            case TokenType::Operator:
            case TokenType::LParen:
            case TokenType::LBrace:
            case TokenType::Comma:
            case TokenType::Semicolon:
                break;
            default:
                return {end, end, {}};
        }
    }
    const std::size_t start_byte = byte_offset(formula, start);
    const std::size_t end_byte = byte_offset(formula, end);
    const std::string prefix = to_upper_full(formula.substr(start_byte, end_byte - start_byte));

    CompletionList out{start, end, {}};
    for (const BuiltinRow& row : builtins()) {
        if (!starts_with(row.name, prefix)) continue;
        out.items.push_back({CompletionKind::Function, std::string(row.name),
                             std::string(row.name) + "(", builtin_detail(row),
                             builtin_documentation(row)});
    }
    if (registry) {
        for (const auto& function : registry->functions()) {
            std::string name(function->name());
            if (!starts_with(name, prefix)) continue;
            out.items.push_back(
                {CompletionKind::Function, name, name + "(", name + "(args, ...)", std::nullopt});
        }
    }
    for (const std::string& name : names) {
        std::string upper = to_upper_full(name);
        if (!starts_with(upper, prefix)) continue;
        out.items.push_back(
            {CompletionKind::Name, upper, upper, std::string("Named range"), std::nullopt});
    }
    std::stable_sort(
        out.items.begin(), out.items.end(),
        [](const CompletionItem& a, const CompletionItem& b) { return a.label < b.label; });
    return out;
}

CompletionList complete(std::string_view formula, std::size_t cursor,
                        std::span<const std::string> names) {
    return complete_inner(formula, cursor, names, nullptr);
}

}  // namespace orvel::core
