// The C++ side of registration; a second registration and a taken name are pinned where
// a sheet registers the package (tests/python/test_url.py).
#include "url/register.h"

#include <gtest/gtest.h>

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

TEST(UrlRegistration, RegistersTheTwelveFunctionsInTableOrder) {
    core::Registry registry;
    EXPECT_FALSE(register_url_functions(registry).has_value());
    EXPECT_EQ(names_of(registry), kTableOrder);
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
