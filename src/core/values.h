// The value model: cell values, arrays of them and error values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text.h"

namespace orvel::core {

// A fault of the engine itself (a broken invariant), never a formula-level failure. Hosts report
// it as an internal error.
class InternalError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

enum class ErrorKind : std::uint8_t {
    DivByZero,
    Ref,
    UnknownName,
    Spill,
    Loading,
    NotAvailable,
    Circular,
    Value,
    Size,
    Other,
};

// An error value. `Value` and `Size` carry an optional message (absent differs from empty);
// `Other` carries its whole text.
class FormulaError {
public:
    explicit FormulaError(ErrorKind kind) noexcept : kind_(kind) {}
    // The message of Value/Size, or the whole text of Other (which has no "message" as such).
    FormulaError(ErrorKind kind, Text message) noexcept
        : kind_(kind), has_message_(kind != ErrorKind::Other), message_(std::move(message)) {}

    static FormulaError value(std::string_view message) { return {ErrorKind::Value, Text(message)}; }
    static FormulaError size(std::string_view message) { return {ErrorKind::Size, Text(message)}; }
    static FormulaError other(std::string_view text) { return {ErrorKind::Other, Text(text)}; }

    // Reads an error text back into the error it displays.
    static FormulaError from(std::string_view text);

    ErrorKind kind() const noexcept { return kind_; }
    bool has_message() const noexcept { return has_message_; }
    // The message of Value/Size (empty when absent) or the text of Other.
    std::string_view message() const noexcept { return message_.view(); }
    const Text& message_text() const noexcept { return message_; }

    std::string display() const;
    void append_display(std::string& out) const;

    friend bool operator==(const FormulaError& a, const FormulaError& b) noexcept;

private:
    ErrorKind kind_;
    bool has_message_ = false;
    Text message_;
};

// The code text of an error kind ("#DIV/0!" ...); empty for Other.
std::string_view error_code(ErrorKind kind) noexcept;

enum class ValueKind : std::uint8_t { Number, Text, Boolean, Empty, Error, Custom };

// The value of a cell or of an expression: 16 bytes, texts shared and immutable.
class CellValue {
public:
    CellValue() noexcept : number_(0), kind_(ValueKind::Empty) {}
    static CellValue number(double n) noexcept {
        CellValue v;
        v.kind_ = ValueKind::Number;
        v.number_ = n;
        return v;
    }
    static CellValue boolean(bool b) noexcept {
        CellValue v;
        v.kind_ = ValueKind::Boolean;
        v.boolean_ = b;
        return v;
    }
    static CellValue empty() noexcept { return CellValue(); }
    static CellValue text(std::string_view s) { return text(Text(s)); }
    static CellValue text(Text t) noexcept {
        CellValue v;
        v.kind_ = ValueKind::Text;
        v.rep_ = detach(std::move(t));
        return v;
    }
    static CellValue error(FormulaError e) noexcept {
        CellValue v;
        v.kind_ = ValueKind::Error;
        v.error_kind_ = e.kind();
        v.has_message_ = e.has_message();
        v.rep_ = detach(Text(e.message_text()));
        return v;
    }
    static CellValue error(ErrorKind kind) noexcept { return error(FormulaError(kind)); }
    static CellValue custom(std::string_view type_tag, std::string_view data);

    CellValue(const CellValue& o) noexcept { copy_from(o); }
    CellValue(CellValue&& o) noexcept { steal_from(o); }
    CellValue& operator=(const CellValue& o) noexcept {
        if (this != &o) {
            CellValue tmp(o);
            swap(tmp);
        }
        return *this;
    }
    CellValue& operator=(CellValue&& o) noexcept {
        if (this != &o) {
            reset();
            steal_from(o);
        }
        return *this;
    }
    ~CellValue() { reset(); }

    void swap(CellValue& o) noexcept {
        CellValue tmp(std::move(o));
        o.steal_from(*this);
        steal_from(tmp);
    }

    ValueKind kind() const noexcept { return kind_; }
    bool is_number() const noexcept { return kind_ == ValueKind::Number; }
    bool is_text() const noexcept { return kind_ == ValueKind::Text; }
    bool is_boolean() const noexcept { return kind_ == ValueKind::Boolean; }
    bool is_empty() const noexcept { return kind_ == ValueKind::Empty; }
    bool is_error() const noexcept { return kind_ == ValueKind::Error; }
    bool is_custom() const noexcept { return kind_ == ValueKind::Custom; }

    // Accessors; each requires the matching kind.
    double as_double() const noexcept { return number_; }
    bool as_bool() const noexcept { return boolean_; }
    std::string_view text_view() const noexcept { return view_of(rep_); }
    Text text_shared() const noexcept {
        Text::retain(rep_);
        return Text::adopt(rep_);
    }
    ErrorKind error_kind() const noexcept { return error_kind_; }
    bool error_has_message() const noexcept { return has_message_; }
    std::string_view error_message() const noexcept { return view_of(rep_); }
    FormulaError error_value() const noexcept {
        if (!has_message_ && error_kind_ != ErrorKind::Other) return FormulaError(error_kind_);
        return FormulaError(error_kind_, text_shared());
    }
    std::string_view custom_tag() const noexcept { return view_of(rep_).substr(0, rep_->aux); }
    std::string_view custom_data() const noexcept { return view_of(rep_).substr(rep_->aux); }

    // The plain numeric view, with no handler consulted.
    std::optional<double> as_number() const noexcept;

    // The display text (no handler consulted).
    std::string display() const;
    void append_display(std::string& out) const;

    friend bool operator==(const CellValue& a, const CellValue& b) noexcept;

private:
    bool owns_rep() const noexcept {
        return kind_ == ValueKind::Text || kind_ == ValueKind::Error || kind_ == ValueKind::Custom;
    }
    static std::string_view view_of(const Text::Rep* rep) noexcept {
        return rep ? std::string_view(rep->bytes(), rep->size) : std::string_view();
    }
    static Text::Rep* detach(Text t) noexcept {
        Text::Rep* rep = t.rep();
        Text::retain(rep);
        return rep;  // `t` releases its own hold on return
    }
    void copy_from(const CellValue& o) noexcept {
        bits_ = o.bits_;
        kind_ = o.kind_;
        error_kind_ = o.error_kind_;
        has_message_ = o.has_message_;
        if (owns_rep()) Text::retain(rep_);
    }
    void steal_from(CellValue& o) noexcept {
        bits_ = o.bits_;
        kind_ = o.kind_;
        error_kind_ = o.error_kind_;
        has_message_ = o.has_message_;
        o.kind_ = ValueKind::Empty;
    }
    void reset() noexcept {
        if (owns_rep()) Text::release(rep_);
        kind_ = ValueKind::Empty;
    }

    union {
        double number_;
        bool boolean_;
        Text::Rep* rep_;
        std::uint64_t bits_;
    };
    ValueKind kind_;
    ErrorKind error_kind_ = ErrorKind::DivByZero;
    bool has_message_ = false;
};

static_assert(sizeof(CellValue) == 16);

bool values_equal(const std::vector<CellValue>& a, const std::vector<CellValue>& b) noexcept;

// A rectangular row-major block of values. A 1 x 1 array keeps its value inline.
class ArrayValue {
public:
    ArrayValue() noexcept : rows_(0), cols_(0) {}
    // Takes `data`, which must hold rows x cols values (else InternalError "shape/data mismatch").
    ArrayValue(std::uint32_t rows, std::uint32_t cols, std::vector<CellValue> data);
    static ArrayValue scalar(CellValue v) noexcept {
        ArrayValue a;
        a.rows_ = a.cols_ = 1;
        a.single_ = std::move(v);
        return a;
    }
    // An array of rows x cols Empty values (rows x cols must not exceed memory; callers check).
    static ArrayValue filled(std::uint32_t rows, std::uint32_t cols, const CellValue& v = {});

    ArrayValue(const ArrayValue&) = default;
    ArrayValue(ArrayValue&&) noexcept = default;
    ArrayValue& operator=(const ArrayValue&) = default;
    ArrayValue& operator=(ArrayValue&&) noexcept = default;

    std::uint32_t rows() const noexcept { return rows_; }
    std::uint32_t cols() const noexcept { return cols_; }
    std::size_t size() const noexcept {
        return static_cast<std::size_t>(std::uint64_t{rows_} * cols_);
    }
    bool empty() const noexcept { return rows_ == 0 || cols_ == 0; }
    bool is_scalar() const noexcept { return rows_ == 1 && cols_ == 1; }

    const CellValue* data() const noexcept { return is_scalar() ? &single_ : many_.data(); }
    CellValue* data() noexcept { return is_scalar() ? &single_ : many_.data(); }
    const CellValue* begin() const noexcept { return data(); }
    const CellValue* end() const noexcept { return data() + size(); }
    const CellValue& at(std::uint32_t r, std::uint32_t c) const noexcept {
        return data()[std::size_t{r} * cols_ + c];
    }
    CellValue& at(std::uint32_t r, std::uint32_t c) noexcept {
        return data()[std::size_t{r} * cols_ + c];
    }

    // A copy of the first element, or Empty when there is none.
    CellValue first() const noexcept { return empty() ? CellValue() : data()[0]; }
    // The elements as a vector (moved out of this array).
    std::vector<CellValue> take_values() &&;

private:
    std::uint32_t rows_;
    std::uint32_t cols_;
    CellValue single_;
    std::vector<CellValue> many_;
};

// Column letters of a 1-based column number (bijective base 26); 0 gives "".
std::string index_to_col(std::uint32_t n);
void append_col_letters(std::string& out, std::uint32_t n);
// Column number of upper-case letters, saturating at UINT32_MAX ("A" 1, "AA" 27).
std::uint32_t col_letters_to_index(std::string_view letters) noexcept;
// The cell id: `letters` as given followed by the decimal row.
std::string cell_id(std::string_view letters, std::uint32_t row);

}  // namespace orvel::core
