// Temporal literals, operators and functions evaluated through the engine.
#include <gtest/gtest.h>

#include <map>

#include "core/eval.h"
#include "core/parser.h"
#include "datetime/register.h"

namespace orvel::datetime {
namespace {

using core::CellValue;

const core::Registry& sheet_registry() {
    static const core::Registry registry = [] {
        core::Registry r;
        register_on_sheet(r);
        return r;
    }();
    return registry;
}

// Cells given as raw texts, classified the way a sheet classifies its inputs.
class Cells : public core::CellLookup {
public:
    Cells(std::initializer_list<std::pair<std::string_view, std::string_view>> inputs) {
        for (auto [id, text] : inputs) {
            auto ref = core::Parser::parse_cell_ref(id);
            cells_[{core::col_letters_to_index(ref->first), ref->second}] =
                core::classify_literal(text, sheet_registry());
        }
    }
    CellValue cell(std::uint32_t col, std::uint32_t row) const override {
        auto it = cells_.find({col, row});
        return it == cells_.end() ? CellValue() : it->second;
    }
    CellValue cell_by_id(std::string_view) const override { return CellValue(); }

private:
    std::map<std::pair<std::uint32_t, std::uint32_t>, CellValue> cells_;
};

const Cells& cells() {
    static const Cells c{{"A1", "2024-01-31"},
                         {"A2", "2024-03-01"},
                         {"A3", "P1M"},
                         {"A4", "23:30"},
                         {"A5", "1h 30m"},
                         {"A6", "2024-06-15T09:30"},
                         {"A7", "2024-03-10T03:30:00-04:00[America/New_York]"},
                         {"C3", "2024-03-10T02:30:00-05:00[America/New_York]"},
                         {"B1", "2024"},
                         {"B2", "3"},
                         {"B3", "5"},
                         {"C1", "1D"},
                         {"C2", "2024-6-15"}};
    return c;
}

// "tag display" for custom values, the display text otherwise.
std::string evaluate(std::string_view formula) {
    core::Evaluator evaluator(cells(), 1000, 26, sheet_registry());
    auto result = evaluator.evaluate(formula);
    if (!result) return result.error().display();
    const CellValue& value = *result;
    if (value.is_custom())
        return std::string(value.custom_tag()) + " " + sheet_registry().render(value);
    return sheet_registry().render(value);
}

struct FormulaCase {
    std::string formula;
    std::string expected;
};

class Formulas : public ::testing::TestWithParam<FormulaCase> {};

TEST_P(Formulas, EvaluateThroughTheEngine) {
    EXPECT_EQ(evaluate(GetParam().formula), GetParam().expected) << GetParam().formula;
}

const FormulaCase kCases[] = {
    {"=A1+A3", "jdate 2024-02-29"},
    {"=A2-A1", "jspan 30d"},
    {"=A1<A2", "TRUE"},
    {"=A4+A5", "jtime 01:00:00"},
    {"=A4+A3",
     "#VALUE! jtime + jspan: span has calendar units (years/months/weeks/days), which time has no "
     "anchor for"},
    {"=A6", "jdatetime 2024-06-15 09:30:00"},
    {"=A7", "jzoned 2024-03-10 03:30:00 EDT"},
    {"=A5*2", "jspan 2h 60m"},
    {"=A5*2.5",
     "#VALUE! span * value: scalar must be a whole number (fractional scaling not supported in "
     "v1)"},
    {"=C1", "1D"},
    {"=C3", "2024-03-10T02:30:00-05:00[America/New_York]"},
    {"=C2", "2024-6-15"},
    {"=DATE(B1:B3)", "jdate 2024-03-05"},
    {"=DATE(B1:B3,1)", "#VALUE! DATE: expected 3 args (year, month, day)"},
    {"=date(2024,1,31)+months(1)", "jdate 2024-02-29"},
    {"=YEAR(A1)+MONTH(A1)", "2025"},
    {"=FORMAT(A6,\"%d.%m.%Y %H:%M\")", "15.06.2024 09:30"},
    {"=ZONED(DATETIME(2024,3,10,2,30,0),\"America/New_York\")", "jzoned 2024-03-10 03:30:00 EDT"},
    {"=ZONED(A6,TIMEZONE(\"+05:30\"))", "jzoned 2024-06-15 09:30:00 +05:30"},
    {"=IN_TZ(A7,\"UTC\")=A7", "TRUE"},
    {"=ISO(A5)", "PT1H30M"},
    {"=A1+1", "19754"}};

INSTANTIATE_TEST_SUITE_P(Table, Formulas, ::testing::ValuesIn(kCases));

}  // namespace
}  // namespace orvel::datetime
