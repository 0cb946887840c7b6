#include "core/complete.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/catalogue.h"

namespace orvel::core {
namespace {

class NamedFunction : public CustomFunction {
public:
    explicit NamedFunction(std::string name) : name_(std::move(name)) {}
    std::string_view name() const override { return name_; }
    Expected<CellValue, std::string> call(std::span<const CellValue>) const override {
        return CellValue();
    }

private:
    std::string name_;
};

std::string labels(const CompletionList& list) {
    std::string out = std::to_string(list.replace_start) + "-" + std::to_string(list.replace_end);
    for (const auto& item : list.items) out += " " + item.label;
    return out;
}

struct CompleteCase {
    std::string formula;
    std::size_t cursor;
    std::string expected;  // "start-end label label ..."
};

class Completion : public ::testing::TestWithParam<CompleteCase> {};

TEST_P(Completion, OffersWhatMayBeTypedAtTheCursor) {
    std::vector<std::string> names{"tax_rate", "SURCHARGE"};
    auto list = complete(GetParam().formula, GetParam().cursor, names);
    EXPECT_EQ(labels(list), GetParam().expected) << GetParam().formula;
}

const std::string kEverything =
    " ABS AVERAGE CONCAT COUNT FILTER IF LEN LOWER MAX MIN ROUND SEQUENCE SORT SUM SURCHARGE "
    "TAX_RATE TRANSPOSE UNIQUE UPPER";

INSTANTIATE_TEST_SUITE_P(
    Positions, Completion,
    ::testing::Values(CompleteCase{"=SU", 3, "1-3 SUM SURCHARGE"},
                      CompleteCase{"=su", 3, "1-3 SUM SURCHARGE"},
                      CompleteCase{"=", 1, "1-1" + kEverything},
                      CompleteCase{"=SUM(", 5, "5-5" + kEverything},
                      CompleteCase{"=1+", 3, "3-3" + kEverything},
                      CompleteCase{"=SUM(1,", 7, "7-7" + kEverything},
                      CompleteCase{"={1;", 4, "4-4" + kEverything},
                      CompleteCase{"=SUM(1", 6, "6-6"}, CompleteCase{"=SUM(1)", 7, "7-7"},
                      CompleteCase{"=A1:", 4, "4-4"}, CompleteCase{"=MEAN", 5, "1-5"},
                      CompleteCase{"=TA", 3, "1-3 TAX_RATE"}, CompleteCase{"=SU ", 4, "4-4"},
                      CompleteCase{"SUM(", 4, "4-4"}, CompleteCase{"SUM(", 99, "99-99"},
                      CompleteCase{"", 2, "2-2"}, CompleteCase{"=SU", 50, "1-3 SUM SURCHARGE"},
                      CompleteCase{"=SU", 2, "1-2 SEQUENCE SORT SUM SURCHARGE"},
                      CompleteCase{"=SU", 0, "0-0" + kEverything}, CompleteCase{"=\"ab", 4, "4-4"},
                      CompleteCase{"=S1", 3, "1-3"}, CompleteCase{"=$S", 3, "1-3"}));

INSTANTIATE_TEST_SUITE_P(
    NonAsciiText, Completion,
    ::testing::Values(
        // Offsets count characters: "é" is one character of two bytes.
        CompleteCase{"=\"\xC3\xA9\"&SU", 7, "5-7 SUM SURCHARGE"},
        CompleteCase{"=\"\xC3\xA9\xE2\x82\xAC\"&S", 7, "6-7 SEQUENCE SORT SUM SURCHARGE"},
        CompleteCase{"=\"\xC3\xA9\"&SU", 5, "5-5" + kEverything},
        CompleteCase{"=\"\xC3\xA9\"&SU", 2, "2-2"}, CompleteCase{"=\"\xC3\xA9", 99, "3-3"}));

TEST(Completion, BuiltinItemsCarrySignatureAndExamples) {
    auto list = complete("=SUM", 4, {});
    ASSERT_EQ(list.items.size(), 1u);
    const CompletionItem& sum = list.items[0];
    EXPECT_EQ(sum.kind, CompletionKind::Function);
    EXPECT_EQ(sum.insert, "SUM(");
    EXPECT_EQ(sum.detail, "SUM(value, ...)");
    EXPECT_EQ(sum.documentation,
              "Returns the sum of a series of numbers and/or cells.\n\nExamples:\n"
              "  =SUM(1, 2, 3) \u2192 6\n  =SUM(A1:A10) \u2192 (sum of A1 through A10)");
    auto details = [](std::string formula) {
        return complete(formula, formula.size(), {}).items.at(0).detail.value_or("");
    };
    EXPECT_EQ(details("=ROU"), "ROUND(value, decimals?)");
    EXPECT_EQ(details("=IF"), "IF(condition, then_value?, else_value?)");
    EXPECT_EQ(details("=SEQ"), "SEQUENCE(rows, cols?, start?, step?)");
}

TEST(Completion, NamesAndCustomFunctionsJoinTheBuiltins) {
    Registry registry;
    registry.register_function(std::make_shared<NamedFunction>("Super"));
    registry.register_function(std::make_shared<NamedFunction>("URL_HOST"));
    std::vector<std::string> names{"sur", "SUM_ALL"};
    auto list = complete_inner("=SU", 3, names, &registry);
    EXPECT_EQ(labels(list), "1-3 SUM SUM_ALL SUR");  // "Super" does not begin with "SU"
    auto url = complete_inner("=url_h", 6, names, &registry);
    ASSERT_EQ(url.items.size(), 1u);
    EXPECT_EQ(url.items[0].detail, "URL_HOST(args, ...)");
    EXPECT_EQ(url.items[0].documentation, std::nullopt);
    auto name = complete_inner("=SUR", 4, names, &registry);
    ASSERT_EQ(name.items.size(), 1u);
    EXPECT_EQ(name.items[0].kind, CompletionKind::Name);
    EXPECT_EQ(name.items[0].insert, "SUR");
    EXPECT_EQ(name.items[0].detail, "Named range");
}

struct CallCase {
    std::string formula;
    std::size_t cursor;
    std::string expected;  // "NAME active" or "none"
};

class CallAtCursorCases : public ::testing::TestWithParam<CallCase> {};

TEST_P(CallAtCursorCases, FindTheInnermostOpenCall) {
    auto call = innermost_call_at_cursor(GetParam().formula, GetParam().cursor);
    std::string got = call ? call->name + " " + std::to_string(call->active_param) : "none";
    EXPECT_EQ(got, GetParam().expected) << GetParam().formula;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CallAtCursorCases,
    ::testing::Values(CallCase{"=SUM(1, MAX(2, ", 15, "MAX 1"}, CallCase{"=SUM(1, (2", 10, "none"},
                      CallCase{"=SUM(A1", 7, "SUM 0"}, CallCase{"=SUM(1)", 7, "none"},
                      CallCase{"=ROUND(1, 2, 3, ", 16, "ROUND 3"},
                      CallCase{"=sum(1, {2, 3", 13, "SUM 2"}, CallCase{"=SUM(1, 2)", 6, "SUM 0"},
                      CallCase{"=SUM(1, ABS(2), ", 16, "SUM 2"}, CallCase{"SUM(", 4, "none"},
                      CallCase{"=SUM(\"", 6, "none"}, CallCase{"=F(1, (2), ", 11, "F 2"}));

TEST(SignatureHelp, ResolvesAliasesThenCustomFunctions) {
    auto mean = signature_help("=MEAN(1, ", 9);
    ASSERT_TRUE(mean);
    EXPECT_EQ(mean->function.name, "AVERAGE");
    EXPECT_EQ(mean->active_param, 1u);

    Registry registry;
    registry.register_function(std::make_shared<NamedFunction>("Url_Host"));
    EXPECT_FALSE(signature_help("=url_host(", 10));
    auto custom = signature_help_with_registry(registry, "=url_host(", 10);
    ASSERT_TRUE(custom);
    EXPECT_EQ(custom->function.name, "Url_Host");
    EXPECT_EQ(custom->function.category, "Custom");
    ASSERT_TRUE(custom->function.variadic);
    EXPECT_EQ(custom->function.variadic->name, "args");
    EXPECT_TRUE(custom->function.variadic->optional);
    EXPECT_TRUE(custom->function.params.empty());
}

TEST(Catalogue, ListsBuiltinsThenCustomFunctions) {
    auto builtins_only = list_functions();
    ASSERT_EQ(builtins_only.size(), 17u);
    EXPECT_EQ(builtins_only[1].name, "AVERAGE");
    EXPECT_EQ(builtins_only[1].aliases, (std::vector<std::string>{"MEAN", "AVG"}));
    EXPECT_EQ(builtins_only[1].category, "Statistical");
    ASSERT_TRUE(builtins_only[0].variadic);
    EXPECT_FALSE(builtins_only[0].variadic->optional);
    EXPECT_EQ(builtins_only[6].name, "ROUND");
    EXPECT_FALSE(builtins_only[6].variadic);
    ASSERT_EQ(builtins_only[6].params.size(), 2u);
    EXPECT_TRUE(builtins_only[6].params[1].optional);

    Registry registry;
    registry.register_function(std::make_shared<NamedFunction>("Double"));
    auto all = list_functions_with_registry(registry);
    ASSERT_EQ(all.size(), 18u);
    EXPECT_EQ(all.back().name, "Double");
    EXPECT_EQ(all.back().description, "");
}

}  // namespace
}  // namespace orvel::core
