// The built-in table: every text byte for byte, shapes, lookups by name and alias.
#include "core/builtins.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvel::core {
namespace {

struct Param {
    std::string name, description;
    bool optional;
};

struct Example {
    std::string formula, result;
};

struct Row {
    std::string name;
    std::vector<std::string> aliases;
    EvalKind eval_kind;
    FunctionShape shape;
    std::string category;
    std::vector<Param> params;
    std::string variadic;  // description of the variadic "value" parameter, or empty
    std::string description;
    std::vector<Example> examples;
};

const std::vector<Row>& expected_rows() {
    using E = EvalKind;
    using S = FunctionShape;
    static const std::vector<Row> rows = {
        {"SUM", {}, E::Scalar, S::Aggregate, "Math", {},
         "A number, cell reference, or range to add.",
         "Returns the sum of a series of numbers and/or cells.",
         {{"=SUM(1, 2, 3)", "6"}, {"=SUM(A1:A10)", "(sum of A1 through A10)"}}},
        {"AVERAGE", {"MEAN", "AVG"}, E::Scalar, S::Aggregate, "Statistical", {},
         "A number, cell reference, or range to average.",
         "Returns the arithmetic mean of the supplied numbers.",
         {{"=AVERAGE(2, 4, 6)", "4"}, {"=AVERAGE(A1:A10)", "(mean of A1:A10)"}}},
        {"MIN", {}, E::Scalar, S::Aggregate, "Statistical", {},
         "A number, cell reference, or range.",
         "Returns the smallest of the supplied numbers.", {{"=MIN(3, 1, 5)", "1"}}},
        {"MAX", {}, E::Scalar, S::Aggregate, "Statistical", {},
         "A number, cell reference, or range.",
         "Returns the largest of the supplied numbers.", {{"=MAX(3, 1, 5)", "5"}}},
        {"COUNT", {}, E::Scalar, S::Aggregate, "Statistical", {},
         "A value, cell, or range. Non-numeric values are ignored.",
         "Counts how many of the supplied values are numeric.", {{"=COUNT(1, \"x\", 2)", "2"}}},
        {"ABS", {}, E::Scalar, S::Elementwise, "Math",
         {{"value", "The number to take the absolute value of.", false}}, "",
         "Returns the absolute value of a number. Elementwise over arrays.", {{"=ABS(-5)", "5"}}},
        {"ROUND", {}, E::Scalar, S::Elementwise, "Math",
         {{"value", "The number to round.", false},
          {"decimals", "Number of decimal places (default 0).", true}},
         "", "Rounds a number to a fixed number of decimal places. Elementwise.",
         {{"=ROUND(3.456, 2)", "3.46"}, {"=ROUND(3.456)", "3"}}},
        {"IF", {}, E::Array, S::ArrayReturning, "Logical",
         {{"condition", "Truthy: nonzero number or non-empty string. May be an array.", false},
          {"then_value", "Returned when the condition is truthy.", true},
          {"else_value", "Returned when the condition is falsy.", true}},
         "", "Returns one of two values depending on a condition. Broadcasts across arrays.",
         {{"=IF(A1>0, \"yes\", \"no\")", "\"yes\" or \"no\""}}},
        {"CONCAT", {}, E::Scalar, S::Aggregate, "Text", {},
         "A value to convert to text and concatenate.",
         "Concatenates all arguments into a single string.",
         {{"=CONCAT(\"hello\", \" \", \"world\")", "\"hello world\""}}},
        {"LEN", {}, E::Scalar, S::Elementwise, "Text", {{"text", "The string to measure.", false}},
         "", "Returns the number of characters in a string. Elementwise.",
         {{"=LEN(\"hello\")", "5"}}},
        {"UPPER", {}, E::Scalar, S::Elementwise, "Text",
         {{"text", "The string to convert.", false}},
         "", "Converts a string to upper case. Elementwise.",
         {{"=UPPER(\"hello\")", "\"HELLO\""}}},
        {"LOWER", {}, E::Scalar, S::Elementwise, "Text",
         {{"text", "The string to convert.", false}},
         "", "Converts a string to lower case. Elementwise.",
         {{"=LOWER(\"HELLO\")", "\"hello\""}}},
        {"SEQUENCE", {}, E::Array, S::ArrayReturning, "Array",
         {{"rows", "Number of rows to generate.", false},
          {"cols", "Number of columns (default 1).", true},
          {"start", "Starting value (default 1).", true},
          {"step", "Increment (default 1).", true}},
         "", "Generates a rows\xC3\x97" "cols array of sequential numbers.",
         {{"=SEQUENCE(5)", "{1; 2; 3; 4; 5}"},
          {"=SEQUENCE(2, 3)", "{1, 2, 3; 4, 5, 6}"},
          {"=SEQUENCE(3, 1, 10, 2)", "{10; 12; 14}"}}},
        {"TRANSPOSE", {}, E::Array, S::ArrayReturning, "Array",
         {{"array", "Array to transpose.", false}}, "", "Swaps the rows and columns of an array.",
         {{"=TRANSPOSE(A1:C1)", "(column of 3 values)"}}},
        {"FILTER", {}, E::Array, S::ArrayReturning, "Array",
         {{"array", "Array to filter.", false},
          {"condition",
           "Same-shape boolean array. Rows (or cells) where condition is truthy survive.", false}},
         "", "Returns the rows of `array` where the matching element of `condition` is truthy.",
         {{"=FILTER(A1:A5, A1:A5>2)", "(values greater than 2)"}}},
        {"SORT", {}, E::Array, S::ArrayReturning, "Array",
         {{"array", "Array to sort.", false},
          {"sort_col", "1-based column index to sort by (default 1).", true},
          {"ascending", "TRUE (nonzero) for ascending (default), FALSE (zero) for descending.",
           true}},
         "", "Returns the array sorted by the given column.",
         {{"=SORT(A1:A5)", "(sorted ascending)"},
          {"=SORT(A1:B5, 2, 0)", "(sort by col 2 descending)"}}},
        {"UNIQUE", {}, E::Array, S::ArrayReturning, "Array",
         {{"array", "Array whose unique rows (or values) to return, in first-seen order.", false}},
         "", "Removes duplicate rows (or values) from an array.",
         {{"=UNIQUE(A1:A10)", "(unique values in first-seen order)"}}},
    };
    return rows;
}

TEST(Builtins, TableHoldsEveryTextByteForByte) {
    const auto table = builtins();
    const auto& expected = expected_rows();
    ASSERT_EQ(table.size(), 17u);
    ASSERT_EQ(expected.size(), 17u);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const BuiltinRow& row = table[i];
        const Row& want = expected[i];
        SCOPED_TRACE(want.name);
        EXPECT_EQ(row.name, want.name);
        ASSERT_EQ(row.aliases.size(), want.aliases.size());
        for (std::size_t a = 0; a < want.aliases.size(); ++a) {
            EXPECT_EQ(row.aliases[a], want.aliases[a]);
        }
        EXPECT_EQ(row.eval_kind, want.eval_kind);
        EXPECT_EQ(row.shape, want.shape);
        EXPECT_EQ(category_name(row.category), want.category);
        EXPECT_EQ(row.description, want.description);
        ASSERT_EQ(row.params.size(), want.params.size());
        for (std::size_t p = 0; p < want.params.size(); ++p) {
            EXPECT_EQ(row.params[p].name, want.params[p].name);
            EXPECT_EQ(row.params[p].description, want.params[p].description);
            EXPECT_EQ(row.params[p].optional, want.params[p].optional);
        }
        EXPECT_EQ(row.variadic.has_value(), !want.variadic.empty());
        if (row.variadic) {
            EXPECT_EQ(row.variadic->name, "value");
            EXPECT_EQ(row.variadic->description, want.variadic);
            EXPECT_FALSE(row.variadic->optional);
        }
        ASSERT_EQ(row.examples.size(), want.examples.size());
        for (std::size_t e = 0; e < want.examples.size(); ++e) {
            EXPECT_EQ(row.examples[e].formula, want.examples[e].formula);
            EXPECT_EQ(row.examples[e].result, want.examples[e].result);
        }
    }
}

TEST(Builtins, FindsNamesAndAliasesExactly) {
    struct Case {
        std::string name;
        std::optional<std::size_t> row;
    };
    const Case cases[] = {{"SUM", 0},          {"MEAN", 1},          {"AVG", 1},
                          {"AVERAGE", 1},      {"UNIQUE", 16},       {"sum", std::nullopt},
                          {"", std::nullopt},  {"SUMS", std::nullopt}, {"IF", 7}};
    for (const Case& c : cases) EXPECT_EQ(find_builtin(c.name), c.row) << c.name;
}

}  // namespace
}  // namespace orvel::core
