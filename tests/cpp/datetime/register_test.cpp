#include "datetime/register.h"

#include <gtest/gtest.h>

#include <memory>

#include "datetime/function_args.h"

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

constexpr std::string_view kOrder[] = {
    "DATE",
    "TODAY",
    "PARSE_DATE",
    "YEARS",
    "MONTHS",
    "WEEKS",
    "DAYS",
    "HOURS",
    "MINUTES",
    "SECONDS",
    "SPAN",
    "PARSE_SPAN",
    "SPAN_TO_SECONDS",
    "SPAN_TO_DAYS",
    "TIME",
    "PARSE_TIME",
    "DATETIME",
    "PARSE_DATETIME",
    "TIMEZONE",
    "ZONED",
    "TO_ZONED",
    "PARSE_ZONED",
    "IN_TZ",
    "TO_UTC",
    "NOW",
    "UTCNOW",
    "YEAR",
    "MONTH",
    "DAY",
    "WEEKDAY",
    "DAYOFYEAR",
    "WEEKOFYEAR",
    "QUARTER",
    "IS_LEAP_YEAR",
    "HOUR",
    "MINUTE",
    "SECOND",
    "NANOSECOND",
    "TZ_NAME",
    "TZ_OFFSET_SECONDS",
    "IS_DST",
    "TO_DATE",
    "TO_TIME",
    "TO_DATETIME",
    "FORMAT",
    "ISO",
    "DAYS_BETWEEN",
    "HOURS_BETWEEN",
    "MINUTES_BETWEEN",
    "SECONDS_BETWEEN",
    "DATEADD",
    "DATESUB",
};

TEST(Registration, AddsSixHandlersThenFiftyTwoFunctionsInOrder) {
    RecordingSheet sheet;
    EXPECT_FALSE(register_on_sheet(sheet).has_value());
    const auto& types = sheet.registry.types();
    ASSERT_EQ(types.size(), 6u);
    constexpr std::string_view kTags[] = {"jzoned", "jdatetime", "jdate",
                                          "jtime",  "jspan",     "jtimezone"};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(types[i]->type_tag(), kTags[i]);
    const auto& functions = sheet.registry.functions();
    ASSERT_EQ(functions.size(), 52u);
    for (std::size_t i = 0; i < 52; ++i) EXPECT_EQ(functions[i]->name(), kOrder[i]) << i;
}

TEST(Registration, SecondRegistrationFailsOnTheFirstHandlerAndAddsNothing) {
    RecordingSheet sheet;
    ASSERT_FALSE(register_on_sheet(sheet).has_value());
    auto error = register_on_sheet(sheet);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->display(), "custom type tag already registered: jzoned");
    EXPECT_EQ(sheet.registry.types().size(), 6u);
    EXPECT_EQ(sheet.registry.functions().size(), 52u);
}

TEST(Registration, NameClashKeepsWhatCameBefore) {
    RecordingSheet sheet;
    ASSERT_FALSE(sheet
                     .register_function(std::make_shared<DatetimeFn>(
                         "parse_span", [](Args) -> Outcome { return core::CellValue(); }))
                     .has_value());
    auto error = register_on_sheet(sheet);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->display(), "custom function name collides with existing: PARSE_SPAN");
    EXPECT_EQ(sheet.registry.types().size(), 6u);
    // The pre-existing function and the eleven package functions before PARSE_SPAN.
    EXPECT_EQ(sheet.registry.functions().size(), 12u);
}

TEST(Registration, WorksOnAPlainRegistry) {
    core::Registry registry;
    EXPECT_FALSE(register_on_sheet(registry).has_value());
    EXPECT_NE(registry.find_function("dateadd"), nullptr);
}

}  // namespace
}  // namespace orvel::datetime
