#include "core/builtins.h"

namespace orvel::core {

namespace {

using P = BuiltinParam;
using X = BuiltinExample;

constexpr std::string_view kNoAliases[] = {""};
constexpr std::string_view kAverageAliases[] = {"MEAN", "AVG"};

constexpr P kSumValue{"value", "A number, cell reference, or range to add.", false};
constexpr P kAverageValue{"value", "A number, cell reference, or range to average.", false};
constexpr P kMinMaxValue{"value", "A number, cell reference, or range.", false};
constexpr P kCountValue{"value", "A value, cell, or range. Non-numeric values are ignored.", false};
constexpr P kConcatValue{"value", "A value to convert to text and concatenate.", false};

constexpr P kAbsParams[] = {{"value", "The number to take the absolute value of.", false}};
constexpr P kRoundParams[] = {{"value", "The number to round.", false},
                              {"decimals", "Number of decimal places (default 0).", true}};
constexpr P kIfParams[] = {
    {"condition", "Truthy: nonzero number or non-empty string. May be an array.", false},
    {"then_value", "Returned when the condition is truthy.", true},
    {"else_value", "Returned when the condition is falsy.", true}};
constexpr P kLenParams[] = {{"text", "The string to measure.", false}};
constexpr P kCaseParams[] = {{"text", "The string to convert.", false}};
constexpr P kSequenceParams[] = {{"rows", "Number of rows to generate.", false},
                                 {"cols", "Number of columns (default 1).", true},
                                 {"start", "Starting value (default 1).", true},
                                 {"step", "Increment (default 1).", true}};
constexpr P kTransposeParams[] = {{"array", "Array to transpose.", false}};
constexpr P kFilterParams[] = {
    {"array", "Array to filter.", false},
    {"condition", "Same-shape boolean array. Rows (or cells) where condition is truthy survive.",
     false}};
constexpr P kSortParams[] = {
    {"array", "Array to sort.", false},
    {"sort_col", "1-based column index to sort by (default 1).", true},
    {"ascending", "TRUE (nonzero) for ascending (default), FALSE (zero) for descending.", true}};
constexpr P kUniqueParams[] = {
    {"array", "Array whose unique rows (or values) to return, in first-seen order.", false}};

constexpr X kSumExamples[] = {{"=SUM(1, 2, 3)", "6"}, {"=SUM(A1:A10)", "(sum of A1 through A10)"}};
constexpr X kAverageExamples[] = {{"=AVERAGE(2, 4, 6)", "4"},
                                  {"=AVERAGE(A1:A10)", "(mean of A1:A10)"}};
constexpr X kMinExamples[] = {{"=MIN(3, 1, 5)", "1"}};
constexpr X kMaxExamples[] = {{"=MAX(3, 1, 5)", "5"}};
constexpr X kCountExamples[] = {{"=COUNT(1, \"x\", 2)", "2"}};
constexpr X kAbsExamples[] = {{"=ABS(-5)", "5"}};
constexpr X kRoundExamples[] = {{"=ROUND(3.456, 2)", "3.46"}, {"=ROUND(3.456)", "3"}};
constexpr X kIfExamples[] = {{"=IF(A1>0, \"yes\", \"no\")", "\"yes\" or \"no\""}};
constexpr X kConcatExamples[] = {{"=CONCAT(\"hello\", \" \", \"world\")", "\"hello world\""}};
constexpr X kLenExamples[] = {{"=LEN(\"hello\")", "5"}};
constexpr X kUpperExamples[] = {{"=UPPER(\"hello\")", "\"HELLO\""}};
constexpr X kLowerExamples[] = {{"=LOWER(\"HELLO\")", "\"hello\""}};
constexpr X kSequenceExamples[] = {{"=SEQUENCE(5)", "{1; 2; 3; 4; 5}"},
                                   {"=SEQUENCE(2, 3)", "{1, 2, 3; 4, 5, 6}"},
                                   {"=SEQUENCE(3, 1, 10, 2)", "{10; 12; 14}"}};
constexpr X kTransposeExamples[] = {{"=TRANSPOSE(A1:C1)", "(column of 3 values)"}};
constexpr X kFilterExamples[] = {{"=FILTER(A1:A5, A1:A5>2)", "(values greater than 2)"}};
constexpr X kSortExamples[] = {{"=SORT(A1:A5)", "(sorted ascending)"},
                               {"=SORT(A1:B5, 2, 0)", "(sort by col 2 descending)"}};
constexpr X kUniqueExamples[] = {{"=UNIQUE(A1:A10)", "(unique values in first-seen order)"}};

constexpr std::span<const std::string_view> kNone(kNoAliases, 0);

using S = FunctionShape;
using C = FunctionCategory;
using E = EvalKind;

const BuiltinRow kRows[kBuiltinCount] = {
    {E::Scalar, kSumValue, "SUM", kNone, {}, "Returns the sum of a series of numbers and/or cells.",
     kSumExamples, S::Aggregate, C::Math},
    {E::Scalar, kAverageValue, "AVERAGE", kAverageAliases, {},
     "Returns the arithmetic mean of the supplied numbers.", kAverageExamples, S::Aggregate,
     C::Statistical},
    {E::Scalar, kMinMaxValue, "MIN", kNone, {}, "Returns the smallest of the supplied numbers.",
     kMinExamples, S::Aggregate, C::Statistical},
    {E::Scalar, kMinMaxValue, "MAX", kNone, {}, "Returns the largest of the supplied numbers.",
     kMaxExamples, S::Aggregate, C::Statistical},
    {E::Scalar, kCountValue, "COUNT", kNone, {},
     "Counts how many of the supplied values are numeric.", kCountExamples, S::Aggregate,
     C::Statistical},
    {E::Scalar, std::nullopt, "ABS", kNone, kAbsParams,
     "Returns the absolute value of a number. Elementwise over arrays.", kAbsExamples,
     S::Elementwise, C::Math},
    {E::Scalar, std::nullopt, "ROUND", kNone, kRoundParams,
     "Rounds a number to a fixed number of decimal places. Elementwise.", kRoundExamples,
     S::Elementwise, C::Math},
    {E::Array, std::nullopt, "IF", kNone, kIfParams,
     "Returns one of two values depending on a condition. Broadcasts across arrays.", kIfExamples,
     S::ArrayReturning, C::Logical},
    {E::Scalar, kConcatValue, "CONCAT", kNone, {},
     "Concatenates all arguments into a single string.", kConcatExamples, S::Aggregate, C::Text},
    {E::Scalar, std::nullopt, "LEN", kNone, kLenParams,
     "Returns the number of characters in a string. Elementwise.", kLenExamples, S::Elementwise,
     C::Text},
    {E::Scalar, std::nullopt, "UPPER", kNone, kCaseParams,
     "Converts a string to upper case. Elementwise.", kUpperExamples, S::Elementwise, C::Text},
    {E::Scalar, std::nullopt, "LOWER", kNone, kCaseParams,
     "Converts a string to lower case. Elementwise.", kLowerExamples, S::Elementwise, C::Text},
    {E::Array, std::nullopt, "SEQUENCE", kNone, kSequenceParams,
     "Generates a rows\u00D7cols array of sequential numbers.", kSequenceExamples,
     S::ArrayReturning, C::Array},
    {E::Array, std::nullopt, "TRANSPOSE", kNone, kTransposeParams,
     "Swaps the rows and columns of an array.", kTransposeExamples, S::ArrayReturning, C::Array},
    {E::Array, std::nullopt, "FILTER", kNone, kFilterParams,
     "Returns the rows of `array` where the matching element of `condition` is truthy.",
     kFilterExamples, S::ArrayReturning, C::Array},
    {E::Array, std::nullopt, "SORT", kNone, kSortParams,
     "Returns the array sorted by the given column.", kSortExamples, S::ArrayReturning, C::Array},
    {E::Array, std::nullopt, "UNIQUE", kNone, kUniqueParams,
     "Removes duplicate rows (or values) from an array.", kUniqueExamples, S::ArrayReturning,
     C::Array},
};

}  // namespace

std::string_view category_name(FunctionCategory category) noexcept {
    switch (category) {
        case FunctionCategory::Math: return "Math";
        case FunctionCategory::Statistical: return "Statistical";
        case FunctionCategory::Logical: return "Logical";
        case FunctionCategory::Text: return "Text";
        case FunctionCategory::Array: return "Array";
    }
    return "";
}

std::span<const BuiltinRow> builtins() noexcept { return kRows; }

std::optional<std::size_t> find_builtin(std::string_view name) noexcept {
    for (std::size_t i = 0; i < kBuiltinCount; ++i) {
        if (kRows[i].name == name) return i;
        for (std::string_view alias : kRows[i].aliases) {
            if (alias == name) return i;
        }
    }
    return std::nullopt;
}

}  // namespace orvel::core
