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

// Values "t:<data>" of tag "t"; parse_with accepts any text when the options are "any".
class TagHandler : public CustomTypeHandler {
public:
    std::string_view type_tag() const override { return "t"; }
    std::optional<CellValue> parse_literal(std::string_view text) const override {
        if (text.substr(0, 2) != "t:") return std::nullopt;
        return CellValue::custom("t", text.substr(2));
    }
    std::optional<CellValue> parse_with(std::string_view text,
                                        std::string_view options) const override {
        if (options == "any") return CellValue::custom("t", text);
        return parse_literal(text);
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

TEST(CellInputs, EmptyTextRemovesInputTypedInputAndValue) {
    Sheet sheet;
    std::vector<CellInputChange> changes;
    changes.push_back({"A1", CellInput::typed(CellValue::number(5))});
    typed_write(sheet, std::move(changes));
    EXPECT_EQ(read(sheet, "A1"), "A1=5");
    write(sheet, {{"A1", ""}});
    EXPECT_EQ(read(sheet, "A1"), "A1=_");
    EXPECT_TRUE(sheet.values().empty());
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

TEST(CellInputs, LaterWriteOfTheSameCellWins) {
    Sheet sheet;
    write(sheet, {{"A1", "1"}, {"B1", "=A1*10"}, {"A1", "2"}});
    EXPECT_EQ(read(sheet, "A1 B1"), "A1=2 B1=20");
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

TEST(CellInputs, ValuesKeepTheOrderOfFirstEvaluation) {
    Sheet sheet;
    write(sheet, {{"B1", "=A1+1"}, {"A1", "1"}, {"C1", "x"}});
    std::vector<std::string> ids;
    for (const auto& [id, value] : sheet.values()) ids.push_back(id);
    // Literals first (in order), then formulas.
    EXPECT_EQ(ids, (std::vector<std::string>{"A1", "C1", "B1"}));
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

TEST(Names, AreUpperCasedAndKeepTheirPlace) {
    Sheet sheet;
    EXPECT_FALSE(sheet.set_name("tax", "0.05"));
    EXPECT_FALSE(sheet.set_name("Base", "=A1"));
    EXPECT_FALSE(sheet.set_name("TAX", "0.07"));
    EXPECT_EQ(sheet.get_name("Tax"), "0.07");
    EXPECT_EQ(sheet.get_name("nope"), std::nullopt);
    std::vector<std::string> keys;
    sheet.names().for_each(
        [&](const std::string& name, const std::string&) { keys.push_back(name); });
    EXPECT_EQ(keys, (std::vector<std::string>{"TAX", "BASE"}));
}

TEST(Names, CycleIsReportedWithTheNameKept) {
    Sheet sheet;
    write(sheet, {{"A1", "=B1+X"}, {"B1", "=A1"}});
    auto error = sheet.set_name("X", "2");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, SheetError::Kind::Cycle);
    EXPECT_EQ(sheet.get_name("x"), "2");
    // remove_name recalculates even for an undefined name.
    auto again = sheet.remove_name("undefined");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->display(), "#CIRCULAR! Cycle detected involving: A1, B1");
}

TEST(Pins, RefuseBadShapesInOrder) {
    Sheet sheet;
    auto message = [&](std::vector<std::vector<CellValue>> rows) {
        auto error = sheet.pin_value("A1", std::move(rows));
        return error ? error->display() : "";
    };
    EXPECT_EQ(message({}), "InvalidShape: array must have at least one row");
    EXPECT_EQ(message({{}}), "InvalidShape: array must have at least one column");
    EXPECT_EQ(message({{CellValue(), CellValue()}, {CellValue()}}),
              "InvalidShape: rows must all have the same length");
    EXPECT_FALSE(sheet.is_pinned("A1"));
    EXPECT_EQ(message({{CellValue::text("1")}}), "");
    EXPECT_TRUE(sheet.get("A1").is_text());
}

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

TEST(Registry, RegistrationsWaitForTheNextChange) {
    Sheet sheet;
    write(sheet, {{"A1", "=DOUBLE(4)"}});
    EXPECT_EQ(read(sheet, "A1"), "A1=#NAME?");
    EXPECT_FALSE(sheet.register_function(std::make_shared<Doubler>()));
    EXPECT_EQ(read(sheet, "A1"), "A1=#NAME?");
    write(sheet, {});
    EXPECT_EQ(read(sheet, "A1"), "A1=8");
    auto clash = sheet.register_function(std::make_shared<Doubler>("double"));
    ASSERT_TRUE(clash);
    EXPECT_EQ(clash->display(), "custom function name collides with existing: double");
    EXPECT_EQ(sheet.list_functions().size(), 18u);
}

TEST(Registry, IsCopiedBeforeASharedOneChanges) {
    auto shared = std::make_shared<Registry>();
    Sheet first(shared), second(shared);
    EXPECT_FALSE(first.register_function(std::make_shared<Doubler>()));
    EXPECT_EQ(first.registry().functions().size(), 1u);
    EXPECT_EQ(second.registry().functions().size(), 0u);
    EXPECT_EQ(shared->functions().size(), 0u);
}

TEST(Registry, TryParseAsksTheHandlerOfTheTag) {
    Sheet sheet;
    EXPECT_EQ(sheet.try_parse("t", "4/2", "any"), std::nullopt);
    EXPECT_FALSE(sheet.register_type(std::make_shared<TagHandler>()));
    auto parsed = sheet.try_parse("t", "4/2", "any");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->custom_data(), "4/2");
    EXPECT_EQ(sheet.try_parse("t", "4/2", ""), std::nullopt);
    EXPECT_EQ(sheet.try_parse("T", "t:x", ""), std::nullopt);
    EXPECT_TRUE(sheet.values().empty());
}

TEST(EditorServices, SeeTheSheetsNamesAndFunctions) {
    Sheet sheet;
    EXPECT_FALSE(sheet.set_name("surcharge", "1"));
    EXPECT_FALSE(sheet.register_function(std::make_shared<Doubler>("SUPER")));
    auto list = sheet.complete("=SU", 3);
    std::vector<std::string> labels;
    for (const auto& item : list.items) labels.push_back(item.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"SUM", "SUPER", "SURCHARGE"}));
    EXPECT_EQ(list.items[2].kind, CompletionKind::Name);
    auto help = sheet.signature_help("=super(1, ", 10);
    ASSERT_TRUE(help);
    EXPECT_EQ(help->function.name, "SUPER");
    EXPECT_EQ(help->active_param, 1u);
}

}  // namespace
}  // namespace orvel::core
