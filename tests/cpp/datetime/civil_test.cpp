// Day of year, leap years and weekdays are checked against Python's calendar
// (tests/python/test_datetime.py).
#include "datetime/civil.h"

#include <gtest/gtest.h>

namespace orvel::datetime {
namespace {

TEST(Calendar, EpochDaysRoundTripAcrossTheWholeRange) {
    for (std::int64_t day = kMinEpochDay; day <= kMaxEpochDay; day += 997) {
        const Date d = civil_from_days(day);
        ASSERT_EQ(epoch_day(d), day);
    }
    EXPECT_EQ(civil_from_days(kMinEpochDay), (Date{-9999, 1, 1}));
    EXPECT_EQ(civil_from_days(kMaxEpochDay), (Date{9999, 12, 31}));
    EXPECT_EQ(epoch_day(Date{1969, 12, 31}), -1);
}

TEST(Calendar, ValidationNamesTheField) {
    EXPECT_EQ(make_date(2023, 2, 29).error().message,
              "parameter 'day' with value 29 is not in the required range of 1..=28");
    EXPECT_TRUE(make_date(2023, 2, 29).error().is_range);
    EXPECT_TRUE(make_date(2024, 2, 29).has_value());
    EXPECT_FALSE(make_date(10000, 1, 1).has_value());
    EXPECT_FALSE(make_date(2024, 13, 1).has_value());
    EXPECT_FALSE(make_time(24, 0, 0, 0).has_value());
    EXPECT_FALSE(make_time(12, 0, 0, -1).has_value());
    EXPECT_TRUE(make_time(23, 59, 59, 999'999'999).has_value());
}

struct WeekCase {
    Date date;
    IsoWeekDate iso;
};

class IsoWeeks : public ::testing::TestWithParam<WeekCase> {};

TEST_P(IsoWeeks, WeekOneHoldsTheFirstThursday) {
    const auto& c = GetParam();
    const IsoWeekDate got = iso_week_date(c.date);
    EXPECT_EQ(got.year, c.iso.year);
    EXPECT_EQ(got.week, c.iso.week);
    EXPECT_EQ(got.weekday, c.iso.weekday);
    auto back = date_from_iso_week(got.year, got.week, got.weekday);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, c.date);
}

INSTANTIATE_TEST_SUITE_P(Table, IsoWeeks,
                         ::testing::Values(WeekCase{{2021, 1, 1}, {2020, 53, 5}},
                                           WeekCase{{2024, 12, 30}, {2025, 1, 1}},
                                           WeekCase{{2024, 1, 7}, {2024, 1, 7}},
                                           WeekCase{{2026, 1, 1}, {2026, 1, 4}},
                                           WeekCase{{-9999, 1, 1}, {-9999, 1, 1}},
                                           WeekCase{{9999, 12, 31}, {9999, 52, 5}}));

TEST(Calendar, MonthStepsClampTheDayOnce) {
    EXPECT_EQ(*add_months(Date{2024, 2, 29}, 13), (Date{2025, 3, 29}));
    EXPECT_EQ(*add_months(Date{-1, 1, 15}, -1), (Date{-2, 12, 15}));
    EXPECT_TRUE(add_months(Date{9999, 12, 1}, 1).error().is_range);
    EXPECT_FALSE(add_days(Date{9999, 12, 31}, 1).has_value());
}

}  // namespace
}  // namespace orvel::datetime
