// The C++ side of registration: the six handlers in the order literals are tried, then the
// functions. Their order, a second registration and taken names are pinned where a sheet
// registers the package (tests/python/test_datetime.py).
#include "datetime/register.h"

#include <gtest/gtest.h>

#include "core/registry.h"

namespace orvel::datetime {
namespace {

// A sheet-like target that records what it receives.
struct RecordingSheet {
    core::Registry registry;
    std::optional<core::RegistryError> register_type(core::Registry::HandlerPtr handler) {
        return registry.register_type(std::move(handler));
    }
    std::optional<core::RegistryError> register_function(core::Registry::FunctionPtr function) {
        return registry.register_function(std::move(function));
    }
};

TEST(Registration, AddsSixHandlersThenFiftyTwoFunctions) {
    RecordingSheet sheet;
    EXPECT_FALSE(register_on_sheet(sheet).has_value());
    const auto& types = sheet.registry.types();
    ASSERT_EQ(types.size(), 6u);
    constexpr std::string_view kTags[] = {"jzoned", "jdatetime", "jdate",
                                          "jtime",  "jspan",     "jtimezone"};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(types[i]->type_tag(), kTags[i]);
    EXPECT_EQ(sheet.registry.functions().size(), 52u);
}

TEST(Registration, WorksOnAPlainRegistry) {
    core::Registry registry;
    EXPECT_FALSE(register_on_sheet(registry).has_value());
    EXPECT_NE(registry.find_function("dateadd"), nullptr);
}

}  // namespace
}  // namespace orvel::datetime
