// The registry: duplicate tags, name collisions, literal parsing order, render and coercion.
#include "core/registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace orvel::core {
namespace {

class Tagged : public CustomTypeHandler {
public:
    explicit Tagged(std::string tag, std::string claims = {})
        : tag_(std::move(tag)), claims_(std::move(claims)) {}
    std::string_view type_tag() const override { return tag_; }
    std::optional<CellValue> parse_literal(std::string_view text) const override {
        if (text != claims_) return std::nullopt;
        return CellValue::custom(tag_, text);
    }
    std::string display(const CellValue& v) const override {
        return "[" + std::string(v.custom_data()) + "]";
    }
    CompareAnswer compare(CompareOp, const CellValue&, const CellValue&) const override {
        return {};
    }
    std::optional<double> as_number(const CellValue&) const override { return 42; }

private:
    std::string tag_;
    std::string claims_;
};

class Named : public CustomFunction {
public:
    explicit Named(std::string name) : name_(std::move(name)) {}
    std::string_view name() const override { return name_; }
    Expected<CellValue, std::string> call(std::span<const CellValue>) const override {
        return CellValue();
    }

private:
    std::string name_;
};

TEST(Registry, RefusesASecondHandlerForATagCaseSensitively) {
    Registry registry;
    EXPECT_FALSE(registry.register_type(std::make_shared<Tagged>("jdate")));
    auto error = registry.register_type(std::make_shared<Tagged>("jdate"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, RegistryError::Kind::DuplicateTypeTag);
    EXPECT_EQ(error->display(), "custom type tag already registered: jdate");
    EXPECT_FALSE(registry.register_type(std::make_shared<Tagged>("JDATE")));
    EXPECT_EQ(registry.types().size(), 2u);
}

TEST(Registry, RefusesFunctionNamesOfBuiltinsAndOfEarlierFunctions) {
    struct Case {
        std::string earlier, name;
        bool collides;
    };
    const Case cases[] = {
        {"", "sum", true},
        {"", "avg", true},
        {"", "Mean", true},
        {"", "\xC5\xBFum", true},  // the long s upper-cases to S: "SUM"
        {"", "SUMX", false},
        {"", "stra\xC3\x9F" "e", false},
        {"URL_HOST", "Url_Host", true},
        {"URL_HOST", "URL_HOSTS", false},
        {"\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89", false},  // only ASCII letters fold
    };
    for (const Case& c : cases) {
        Registry registry;
        if (!c.earlier.empty()) {
            ASSERT_FALSE(registry.register_function(std::make_shared<Named>(c.earlier)));
        }
        auto error = registry.register_function(std::make_shared<Named>(c.name));
        EXPECT_EQ(error.has_value(), c.collides) << c.name;
        if (error) {
            EXPECT_EQ(error->kind, RegistryError::Kind::FunctionNameCollision);
            EXPECT_EQ(error->display(), "custom function name collides with existing: " + c.name);
            EXPECT_EQ(registry.functions().size(), c.earlier.empty() ? 0u : 1u);
        }
    }
}

TEST(Registry, IntoFunctionsKeepsRegistrationOrder) {
    Registry registry;
    registry.register_type(std::make_shared<Tagged>("t"));
    for (const char* name : {"B", "A", "C"}) {
        registry.register_function(std::make_shared<Named>(name));
    }
    auto functions = std::move(registry).into_functions();
    ASSERT_EQ(functions.size(), 3u);
    EXPECT_EQ(functions[0]->name(), "B");
    EXPECT_EQ(functions[1]->name(), "A");
    EXPECT_EQ(functions[2]->name(), "C");
}

TEST(Registry, EarlierHandlerWinsALiteral) {
    Registry registry;
    registry.register_type(std::make_shared<Tagged>("first", "x"));
    registry.register_type(std::make_shared<Tagged>("second", "x"));
    auto value = registry.parse_literal("x");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->custom_tag(), "first");
    EXPECT_FALSE(registry.parse_literal("y"));
    EXPECT_FALSE(Registry().parse_literal(""));
}

TEST(Registry, RenderAndCoerceGoThroughTheHandlerOfTheTag) {
    Registry registry;
    registry.register_type(std::make_shared<Tagged>("known"));
    EXPECT_EQ(registry.render(CellValue::custom("known", "d")), "[d]");
    EXPECT_EQ(registry.render(CellValue::custom("unknown", "d")), "d");
    EXPECT_EQ(registry.coerce_number(CellValue::custom("known", "d")), 42);
    EXPECT_EQ(registry.coerce_number(CellValue::custom("unknown", "1")), std::nullopt);
    EXPECT_EQ(registry.render(CellValue::number(-0.0)), "-0");
    EXPECT_EQ(registry.render(CellValue::error(FormulaError::value("m"))), "#VALUE! m");
}

}  // namespace
}  // namespace orvel::core
