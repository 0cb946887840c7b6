#include "url/register.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/registry.h"

namespace orvel::url {
namespace {

const std::vector<std::string> kTableOrder = {
    "URL_SCHEME",   "URL_HOST",  "URL_PORT",  "URL_PATH",   "URL_PATH_SEGMENT", "URL_QUERY",
    "URL_FRAGMENT", "URL_PARAM", "URL_VALID", "URL_ENCODE", "URL_DECODE",       "URL_JOIN"};

std::vector<std::string> names_of(const core::Registry& registry) {
    std::vector<std::string> names;
    for (const auto& function : registry.functions()) names.emplace_back(function->name());
    return names;
}

class NamedFunction final : public core::CustomFunction {
public:
    explicit NamedFunction(std::string name) : name_(std::move(name)) {}
    std::string_view name() const override { return name_; }
    core::Expected<core::CellValue, std::string> call(
        std::span<const core::CellValue>) const override {
        return core::CellValue::number(0);
    }

private:
    std::string name_;
};

TEST(UrlRegistration, RegistersTheTwelveFunctionsInTableOrder) {
    core::Registry registry;
    EXPECT_FALSE(register_url_functions(registry).has_value());
    EXPECT_EQ(names_of(registry), kTableOrder);
}

TEST(UrlRegistration, ASecondRegistrationOnASheetFailsAtTheFirstNameAndChangesNothing) {
    core::Registry sheet;
    ASSERT_FALSE(register_on_sheet(sheet).has_value());
    auto error = register_on_sheet(sheet);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, core::RegistryError::Kind::FunctionNameCollision);
    EXPECT_EQ(error->display(), "custom function name collides with existing: URL_SCHEME");
    EXPECT_EQ(names_of(sheet), kTableOrder);
}

TEST(UrlRegistration, ACollisionKeepsTheFunctionsBeforeItAndOffersNoneAfter) {
    core::Registry sheet;
    ASSERT_FALSE(sheet.register_function(std::make_shared<NamedFunction>("url_path")));
    auto error = register_on_sheet(sheet);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->display(), "custom function name collides with existing: URL_PATH");
    EXPECT_EQ(names_of(sheet),
              (std::vector<std::string>{"url_path", "URL_SCHEME", "URL_HOST", "URL_PORT"}));
}

// Any target with the registry's register_function works, as the engine's sheet will.
struct RecordingTarget {
    std::vector<std::string> names;
    std::optional<core::RegistryError> register_function(core::Registry::FunctionPtr function) {
        names.emplace_back(function->name());
        return std::nullopt;
    }
};

TEST(UrlRegistration, OffersEachFunctionToTheSheetOnceInOrder) {
    RecordingTarget target;
    EXPECT_FALSE(register_on_sheet(target).has_value());
    EXPECT_EQ(target.names, kTableOrder);
}

}  // namespace
}  // namespace orvel::url
