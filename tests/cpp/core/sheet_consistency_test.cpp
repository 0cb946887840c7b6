// A sheet edited step by step reuses its parses, name substitutions, literal values and
// evaluation order between recalculations. Without spills, values depend only on the current
// contents, so after every edit they must equal those of a new sheet given the same contents.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/sheet.h"
#include "sheet_support.h"

namespace orvel::core {
namespace {

const std::vector<std::string> kIds = {"A1", "A2", "A3", "B1", "B2", "B3",
                                       "C1", "C2", "C3", "D1", "D4", "a1"};
const std::vector<std::string> kTexts = {
    "1",           "2.5",       "x",    "TRUE",          "=A1+B2",
    "=SUM(A1:C3)", "=SUM(B:B)", "=X*2", "=COUNT(1:2)",   "=IF(A1>2, B1, C1)",
    "=A3&C2",      "=Y+D4",     "=C1",  "=SUM(A1:A3)*Y", "=1+",
    "=a1",         "",          ""};
const std::vector<std::string> kDefinitions = {"=A1+1", "3", "=SUM(A1:B2)", "=X", "=B3"};

struct Contents {
    std::map<std::string, std::string> cells;  // raw texts
    std::map<std::string, double> typed;       // typed numbers
    std::map<std::string, std::string> names;
    std::map<std::string, std::string> pins;  // 1 x 1 text pins
};

std::map<std::string, std::string> values_of(const Sheet& sheet) {
    std::map<std::string, std::string> out;
    for (const auto& [id, value] : sheet.values()) {
        if (!value.is_empty()) out[id] = value.display();
    }
    return out;
}

std::string rebuild(Sheet& fresh, const Contents& contents) {
    for (const auto& [name, definition] : contents.names) fresh.set_name(name, definition);
    for (const auto& [id, text] : contents.pins) fresh.pin_value(id, {{CellValue::text(text)}});
    std::vector<CellInputChange> changes;
    for (const auto& [id, text] : contents.cells) changes.push_back({id, CellInput::raw(text)});
    for (const auto& [id, number] : contents.typed) {
        changes.push_back({id, CellInput::typed(CellValue::number(number))});
    }
    auto error = fresh.set_cells_typed(changes);
    return error ? error->display() : "";
}

TEST(SheetConsistency, EditedSheetMatchesANewSheetWithTheSameContents) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&](const auto& list) { return list[random() % list.size()]; };
        Sheet sheet;
        Contents contents;
        for (int step = 0; step < 150; ++step) {
            std::string error;
            const auto kind = static_cast<unsigned>(random() % 10);
            const std::string id = pick(kIds);
            if (kind < 6) {
                const std::string text = pick(kTexts);
                error = testing::write(sheet, {{id, text}});
                contents.typed.erase(id);
                if (text.empty()) {
                    contents.cells.erase(id);
                } else {
                    contents.cells[id] = text;
                }
            } else if (kind == 6) {
                const double number = static_cast<double>(random() % 7);
                std::vector<CellInputChange> change;
                change.push_back({id, CellInput::typed(CellValue::number(number))});
                auto result = sheet.set_cells_typed(change);
                error = result ? result->display() : "";
                contents.cells.erase(id);
                contents.typed[id] = number;
            } else if (kind == 7) {
                const std::string name = random() % 2 ? "X" : "Y";
                auto result = random() % 4 == 0 ? sheet.remove_name(name)
                                                : sheet.set_name(name, pick(kDefinitions));
                error = result ? result->display() : "";
                auto definition = sheet.get_name(name);
                if (definition) {
                    contents.names[name] = *definition;
                } else {
                    contents.names.erase(name);
                }
            } else {
                if (sheet.is_pinned(id)) {
                    sheet.unpin_value(id);
                    contents.pins.erase(id);
                } else {
                    sheet.pin_value(id, {{CellValue::text("p")}});
                    contents.pins[id] = "p";
                }
                error = testing::write(sheet, {});
            }
            Sheet fresh;
            ASSERT_EQ(rebuild(fresh, contents), error) << "seed " << seed << " step " << step;
            if (error.empty()) {
                ASSERT_EQ(values_of(sheet), values_of(fresh))
                    << "seed " << seed << " step " << step;
            }
        }
    }
}

}  // namespace
}  // namespace orvel::core
