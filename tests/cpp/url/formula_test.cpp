// The URL functions called from formulas through the evaluator, as a sheet calls them.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/eval.h"
#include "core/registry.h"
#include "url/register.h"

namespace orvel::url {
namespace {

using core::CellValue;

// Column A holds two URLs and an error value.
class UrlCells : public core::CellLookup {
public:
    CellValue cell(std::uint32_t col, std::uint32_t row) const override {
        if (col != 1) return {};
        if (row == 1) return CellValue::text("https://example.com/docs/guide?page=2");
        if (row == 2) return CellValue::text("mailto:someone@example.com");
        if (row == 3) return CellValue::error(core::ErrorKind::NotAvailable);
        return {};
    }
    CellValue cell_by_id(std::string_view) const override { return {}; }
};

struct FormulaRow {
    std::string formula;
    std::string display;  // the value's display text, or the error's
};

TEST(UrlFormulas, EvaluateThroughTheRegistryInAnyLetterCase) {
    core::Registry registry;
    ASSERT_FALSE(register_on_sheet(registry).has_value());
    UrlCells cells;
    core::Evaluator evaluator(cells, 1000, 26, registry);
    const std::vector<FormulaRow> rows = {
        {"=url_host(\"https://Example.COM/x\")", "example.com"},
        {"=URL_PATH_SEGMENT(URL_JOIN(A1, \"../api/v2/items\"), -1)", "items"},
        {"=URL_PARAM(A1, \"page\")*10", "20"},
        {"=url_host(A1:A2)", "#VALUE! URL_HOST: expected 1 arg"},
        {"=URL_JOIN(A2, \"x\")", "#VALUE! URL_JOIN: relative URL with a cannot-be-a-base base"},
        {"=URL_SCHEME(A3)", "#VALUE! URL_SCHEME: arg #1 must be text"},
        {"=URL_PATH_SEGMENT(A1, 0-10^300)", ""},
    };
    for (const FormulaRow& row : rows) {
        auto result = evaluator.evaluate(row.formula);
        std::string shown = result ? result->display() : result.error().display();
        EXPECT_EQ(shown, row.display) << row.formula;
    }
}

TEST(UrlFormulas, AFailedCallIsAValueErrorCarryingTheMessage) {
    core::Registry registry;
    ASSERT_FALSE(register_url_functions(registry).has_value());
    core::Evaluator evaluator(core::empty_lookup(), 1000, 26, registry);
    auto result = evaluator.evaluate("=URL_DECODE(\"%FF\")");
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind(), core::ErrorKind::Value);
    EXPECT_EQ(result.error().message(), "URL_DECODE: result is not valid UTF-8");
}

TEST(UrlFormulas, OneShotEvaluationKnowsOnlyTheBuiltIns) {
    auto result = core::evaluate_one_shot("=URL_HOST(\"https://example.com/\")");
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind(), core::ErrorKind::UnknownName);
}

}  // namespace
}  // namespace orvel::url
