// The sheet's own rules beside recalculation. The Python tests pin what a program sees of the
// same calls (tests/python/test_sheet.py, test_extensions.py, test_editor.py) and
// test_recalc_model.py the values after random edits.
#include "core/sheet.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sheet_support.h"

namespace orvel::core {
namespace {

using testing::read;
using testing::write;

class Doubler : public CustomFunction {
public:
    explicit Doubler(std::string name = "DOUBLE") : name_(std::move(name)) {}
    std::string_view name() const override { return name_; }
    Expected<CellValue, std::string> call(std::span<const CellValue> args) const override {
        if (args.empty() || !args[0].is_number())
            return unexpected(std::string("#VALUE! number needed"));
        return CellValue::number(args[0].as_double() * 2);
    }

private:
    std::string name_;
};

// Values "t:<data>" of tag "t".
class TagHandler : public CustomTypeHandler {
public:
    std::string_view type_tag() const override { return "t"; }
    std::optional<CellValue> parse_literal(std::string_view text) const override {
        if (text.substr(0, 2) != "t:") return std::nullopt;
        return CellValue::custom("t", text.substr(2));
    }
    std::string display(const CellValue& value) const override {
        return "<" + std::string(value.custom_data()) + ">";
    }
    CompareAnswer compare(CompareOp, const CellValue&, const CellValue&) const override {
        return {};
    }
};

std::string typed_write(Sheet& sheet, std::vector<CellInputChange> changes) {
    auto error = sheet.set_cells_typed(changes);
    return error ? error->display() : "";
}

TEST(CellInputs, TypedValuesAreNeverClassifiedOrParsed) {
    Sheet sheet;
    std::vector<CellInputChange> changes;
    changes.push_back({"A1", CellInput::typed(CellValue::text("=1+1"))});
    changes.push_back({"A2", CellInput::typed(CellValue::text("42"))});
    changes.push_back({"A3", CellInput::raw("=A2&\"!\"")});
    typed_write(sheet, std::move(changes));
    EXPECT_TRUE(sheet.get("A1").is_text());
    EXPECT_EQ(read(sheet, "A1 A3"), "A1==1+1 A3=42!");
    EXPECT_TRUE(sheet.get("A2").is_text());
    // A raw write drops the typed input: the text is classified again.
    write(sheet, {{"A2", "42"}});
    EXPECT_TRUE(sheet.get("A2").is_number());
}

TEST(CellInputs, CustomLiteralsAndTypedCustomValuesRenderThroughTheirHandler) {
    Sheet sheet;
    EXPECT_FALSE(sheet.register_type(std::make_shared<TagHandler>()));
    std::vector<CellInputChange> changes;
    changes.push_back({"A1", CellInput::typed(CellValue::custom("t", "x"))});
    changes.push_back({"A2", CellInput::raw("t:y")});
    typed_write(sheet, std::move(changes));
    EXPECT_TRUE(sheet.get("A1").is_custom());
    EXPECT_TRUE(sheet.get("A2").is_custom());
    EXPECT_EQ(sheet.get("A2").custom_data(), "y");
}

struct SetNameCase {
    std::string name;
    std::string definition;
    std::string error;  // display text, or ""
};

class SetName : public ::testing::TestWithParam<SetNameCase> {};

TEST_P(SetName, ChecksNameThenDefinition) {
    Sheet sheet;
    auto error = sheet.set_name(GetParam().name, GetParam().definition);
    EXPECT_EQ(error ? error->display() : "", GetParam().error);
    EXPECT_EQ(sheet.names().size(), GetParam().error.empty() ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetName,
    ::testing::Values(SetNameCase{"x", "=1+", "Unexpected token: Eof ()"}, SetNameCase{"x", "", ""},
                      SetNameCase{"x", "1+", ""},
                      SetNameCase{"A1", "=1+", "Invalid name \"A1\": looks like a cell reference"},
                      SetNameCase{"sum", "1", "Invalid name \"sum\": shadows a built-in function"},
                      SetNameCase{"_tmp", "=NOPE", ""}));

TEST(Pins, ListSortedByBytesAndReplaceInPlace) {
    Sheet sheet;
    for (std::string id : {"b2", "B10", "B9", "A1"}) sheet.pin_value(id, {{CellValue::number(1)}});
    EXPECT_EQ(sheet.pinned_cells(), (std::vector<std::string>{"A1", "B10", "B9", "b2"}));
    sheet.pin_value("B9", {{CellValue::number(2)}});
    EXPECT_EQ(read(sheet, "B9"), "B9=2");
    sheet.unpin_value("Z1");  // not pinned: nothing happens
    EXPECT_EQ(sheet.pinned_cells().size(), 4u);
}

TEST(Pins, DropTheCycleError) {
    Sheet sheet;
    write(sheet, {{"A1", "=A1"}});
    EXPECT_FALSE(sheet.pin_value("B1", {{CellValue::number(1)}}));
    EXPECT_EQ(read(sheet, "B1"), "B1=_");  // the recalculation stopped at the cycle
}

TEST(Registry, IsCopiedBeforeASharedOneChanges) {
    auto shared = std::make_shared<Registry>();
    Sheet first(shared), second(shared);
    EXPECT_FALSE(first.register_function(std::make_shared<Doubler>()));
    EXPECT_EQ(first.registry().functions().size(), 1u);
    EXPECT_EQ(second.registry().functions().size(), 0u);
    EXPECT_EQ(shared->functions().size(), 0u);
}

}  // namespace
}  // namespace orvel::core
