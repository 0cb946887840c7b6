#include "core/values.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/number_text.h"

namespace orvel::core {

// ---- FormulaError ----

std::string_view error_code(ErrorKind kind) noexcept {
    switch (kind) {
        case ErrorKind::DivByZero: return "#DIV/0!";
        case ErrorKind::Ref: return "#REF!";
        case ErrorKind::UnknownName: return "#NAME?";
        case ErrorKind::Spill: return "#SPILL!";
        case ErrorKind::Loading: return "#LOADING!";
        case ErrorKind::NotAvailable: return "#N/A";
        case ErrorKind::Circular: return "#CIRCULAR!";
        case ErrorKind::Value: return "#VALUE!";
        case ErrorKind::Size: return "#SIZE!";
        case ErrorKind::Other: return "";
    }
    return "";
}

namespace {

void append_error_display(std::string& out, ErrorKind kind, bool has_message,
                          std::string_view message) {
    if (kind == ErrorKind::Other) {
        out += message;
        return;
    }
    out += error_code(kind);
    if ((kind == ErrorKind::Value || kind == ErrorKind::Size) && has_message && !message.empty()) {
        out += ' ';
        out += message;
    }
}

// Length in bytes of the run of Unicode White_Space characters at the start of `s`.
std::size_t leading_white_space(std::string_view s) noexcept {
    std::size_t i = 0;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(s.data());
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(s.size(), INT32_MAX));
    std::int32_t at = 0;
    while (at < length) {
        std::int32_t next = at;
        UChar32 c;
        U8_NEXT(bytes, next, length, c);
        if (c < 0 || !u_isUWhiteSpace(c)) break;
        at = next;
        i = static_cast<std::size_t>(at);
    }
    return i;
}

}  // namespace

void FormulaError::append_display(std::string& out) const {
    append_error_display(out, kind_, has_message_, message_.view());
}

std::string FormulaError::display() const {
    std::string out;
    append_display(out);
    return out;
}

bool operator==(const FormulaError& a, const FormulaError& b) noexcept {
    if (a.kind_ != b.kind_) return false;
    switch (a.kind_) {
        case ErrorKind::Value:
        case ErrorKind::Size:
            if (a.has_message_ != b.has_message_) return false;
            return !a.has_message_ || a.message_ == b.message_;
        case ErrorKind::Other: return a.message_ == b.message_;
        default: return true;
    }
}

FormulaError FormulaError::from(std::string_view text) {
    static constexpr std::pair<std::string_view, ErrorKind> kExact[] = {
        {"#DIV/0!", ErrorKind::DivByZero}, {"#REF!", ErrorKind::Ref},
        {"#NAME?", ErrorKind::UnknownName}, {"#SPILL!", ErrorKind::Spill},
        {"#LOADING!", ErrorKind::Loading},  {"#N/A", ErrorKind::NotAvailable},
    };
    for (const auto& [code, kind] : kExact) {
        if (text == code) return FormulaError(kind);
    }
    if (text == "#VALUE!") return FormulaError(ErrorKind::Value);
    if (text == "#SIZE!") return FormulaError(ErrorKind::Size);
    constexpr std::string_view kCircular = "#CIRCULAR!";
    if (text.starts_with(kCircular)) {
        std::string_view rest = text.substr(kCircular.size());
        if (leading_white_space(rest) == rest.size()) return FormulaError(ErrorKind::Circular);
        return FormulaError::other(text);
    }
    for (auto [prefix, kind] : {std::pair{std::string_view("#VALUE!"), ErrorKind::Value},
                                std::pair{std::string_view("#SIZE!"), ErrorKind::Size}}) {
        if (text.starts_with(prefix)) {
            std::string_view rest = text.substr(prefix.size());
            return FormulaError(kind, Text(rest.substr(leading_white_space(rest))));
        }
    }
    return FormulaError::other(text);
}

// ---- CellValue ----

CellValue CellValue::custom(std::string_view type_tag, std::string_view data) {
    CellValue v;
    v.rep_ = Text::make(type_tag, data, static_cast<std::uint32_t>(type_tag.size()));
    v.kind_ = ValueKind::Custom;
    return v;
}

std::optional<double> CellValue::as_number() const noexcept {
    switch (kind_) {
        case ValueKind::Number: return number_;
        case ValueKind::Boolean: return boolean_ ? 1.0 : 0.0;
        case ValueKind::Text: return parse_decimal(text_view());
        default: return std::nullopt;
    }
}

void CellValue::append_display(std::string& out) const {
    switch (kind_) {
        case ValueKind::Number: append_number(out, number_); break;
        case ValueKind::Text: out += text_view(); break;
        case ValueKind::Boolean: out += boolean_ ? "TRUE" : "FALSE"; break;
        case ValueKind::Empty: break;
        case ValueKind::Error:
            append_error_display(out, error_kind_, has_message_, error_message());
            break;
        case ValueKind::Custom: out += custom_data(); break;
    }
}

std::string CellValue::display() const {
    std::string out;
    append_display(out);
    return out;
}

bool operator==(const CellValue& a, const CellValue& b) noexcept {
    if (a.kind_ != b.kind_) return false;
    switch (a.kind_) {
        case ValueKind::Number: return a.number_ == b.number_;
        case ValueKind::Text: return a.text_view() == b.text_view();
        case ValueKind::Boolean: return a.boolean_ == b.boolean_;
        case ValueKind::Empty: return true;
        case ValueKind::Error: return a.error_value() == b.error_value();
        case ValueKind::Custom:
            return a.custom_tag() == b.custom_tag() && a.custom_data() == b.custom_data();
    }
    return false;
}

bool values_equal(const std::vector<CellValue>& a, const std::vector<CellValue>& b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!(a[i] == b[i])) return false;
    }
    return true;
}

// ---- ArrayValue ----

ArrayValue::ArrayValue(std::uint32_t rows, std::uint32_t cols, std::vector<CellValue> data)
    : rows_(rows), cols_(cols) {
    if (std::uint64_t{rows} * cols != data.size()) throw InternalError("shape/data mismatch");
    if (is_scalar()) {
        single_ = std::move(data[0]);
    } else {
        many_ = std::move(data);
    }
}

ArrayValue ArrayValue::filled(std::uint32_t rows, std::uint32_t cols, const CellValue& v) {
    std::uint64_t count = std::uint64_t{rows} * cols;
    if (count == 1) return scalar(v);
    ArrayValue a;
    a.rows_ = rows;
    a.cols_ = cols;
    a.many_.assign(static_cast<std::size_t>(count), v);
    return a;
}

std::vector<CellValue> ArrayValue::take_values() && {
    if (is_scalar()) {
        std::vector<CellValue> out;
        out.push_back(std::move(single_));
        return out;
    }
    return std::move(many_);
}

// ---- cell ids ----

void append_col_letters(std::string& out, std::uint32_t n) {
    char buf[8];
    int len = 0;
    while (n > 0) {
        --n;
        buf[len++] = static_cast<char>('A' + n % 26);
        n /= 26;
    }
    while (len > 0) out += buf[--len];
}

std::string index_to_col(std::uint32_t n) {
    std::string out;
    append_col_letters(out, n);
    return out;
}

std::uint32_t col_letters_to_index(std::string_view letters) noexcept {
    std::uint64_t n = 0;
    for (char c : letters) {
        n = n * 26 + static_cast<std::uint64_t>(c - 'A' + 1);
        if (n >= UINT32_MAX) return UINT32_MAX;
    }
    return static_cast<std::uint32_t>(n);
}

std::string cell_id(std::string_view letters, std::uint32_t row) {
    std::string out;
    out.reserve(letters.size() + 10);
    out += letters;
    char buf[16];
    auto res = std::to_chars(buf, buf + sizeof buf, row);
    out.append(buf, res.ptr);
    return out;
}

}  // namespace orvel::core
