#include "datetime/civil.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvel::datetime {
namespace {

// A calendar stepped one day at a time, the way one counts on a wall calendar.
struct WallCalendar {
    Date date{-9999, 1, 1};
    std::int32_t day_of_year = 1;
    std::int32_t weekday = 1;  // -9999-01-01 was a Monday

    void next() {
        weekday = weekday % 7 + 1;
        ++day_of_year;
        if (++date.day <= days_in_month(date.year, date.month)) return;
        date.day = 1;
        if (++date.month <= 12) return;
        date = Date{date.year + 1, 1, 1};
        day_of_year = 1;
    }
};

// Every day of the supported range: epoch days both ways, weekday, day of year, and the ISO
// week, which is the week of its Thursday: that day's year, and its day of year's week.
TEST(Calendar, EveryDayAgreesWithAWallCalendar) {
    WallCalendar wall;
    for (std::int64_t day = kMinEpochDay; day <= kMaxEpochDay; ++day, wall.next()) {
        ASSERT_EQ(civil_from_days(day), wall.date) << day;
        ASSERT_EQ(epoch_day(wall.date), day);
        ASSERT_EQ(weekday(wall.date), wall.weekday) << day;
        ASSERT_EQ(day_of_year(wall.date), wall.day_of_year) << day;
        if (wall.weekday != 4) continue;
        for (std::int64_t other = day - 3; other <= day + 3; ++other) {
            if (other < kMinEpochDay || other > kMaxEpochDay) continue;
            const Date d = civil_from_days(other);
            const IsoWeekDate iso = iso_week_date(d);
            ASSERT_EQ(iso.year, wall.date.year) << other;
            ASSERT_EQ(iso.week, (wall.day_of_year - 1) / 7 + 1) << other;
            ASSERT_EQ(iso.weekday, 4 + (other - day)) << other;
            ASSERT_EQ(*date_from_iso_week(iso.year, iso.week, iso.weekday), d) << other;
        }
    }
    EXPECT_EQ(epoch_day(Date{1970, 1, 1}), 0);
}

std::string message(const Result<Date>& r) { return r ? "ok" : r.error().message; }
std::string message(const Result<Time>& r) { return r ? "ok" : r.error().message; }

std::string range(std::string_view field, std::string_view value, std::string_view bounds) {
    return "parameter '" + std::string(field) + "' with value " + std::string(value) +
           " is not in the required range of " + std::string(bounds);
}

// Each field at its limits and one past, naming the field.
TEST(Calendar, ValidationNamesTheFieldAtEachLimit) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {message(make_date(2023, 2, 29)), range("day", "29", "1..=28")},
        {message(make_date(2024, 2, 29)), "ok"},
        {message(make_date(2024, 4, 31)), range("day", "31", "1..=30")},
        {message(make_date(2024, 1, 0)), range("day", "0", "1..=31")},
        {message(make_date(2024, 0, 1)), range("month", "0", "1..=12")},
        {message(make_date(2024, 13, 1)), range("month", "13", "1..=12")},
        {message(make_date(-9999, 1, 1)), "ok"},
        {message(make_date(-10000, 12, 31)), range("year", "-10000", "-9999..=9999")},
        {message(make_date(10000, 1, 1)), range("year", "10000", "-9999..=9999")},
        {message(make_time(23, 59, 59, 999'999'999)), "ok"},
        {message(make_time(0, 0, 0, 0)), "ok"},
        {message(make_time(-1, 0, 0, 0)), range("hour", "-1", "0..=23")},
        {message(make_time(24, 0, 0, 0)), range("hour", "24", "0..=23")},
        {message(make_time(0, -1, 0, 0)), range("minute", "-1", "0..=59")},
        {message(make_time(0, 60, 0, 0)), range("minute", "60", "0..=59")},
        {message(make_time(0, 0, -1, 0)), range("second", "-1", "0..=59")},
        {message(make_time(0, 0, 60, 0)), range("second", "60", "0..=59")},
        {message(make_time(0, 0, 0, -1)), range("subsec_nanosecond", "-1", "0..=999999999")},
        {message(make_time(0, 0, 0, 1'000'000'000)),
         range("subsec_nanosecond", "1000000000", "0..=999999999")},
        {message(date_from_iso_week(2020, 53, 7)), "ok"},
        {message(date_from_iso_week(2020, 54, 1)), range("week", "54", "1..=53")},
        {message(date_from_iso_week(2024, 53, 1)), range("week", "53", "1..=52")},
        {message(date_from_iso_week(2024, 0, 1)), range("week", "0", "1..=52")},
        {message(date_from_iso_week(2024, 1, 0)), range("weekday", "0", "1..=7")},
        {message(date_from_iso_week(2024, 1, 8)), range("weekday", "8", "1..=7")},
        {message(date_from_iso_week(10000, 1, 1)), range("year", "10000", "-9999..=9999")},
        {message(date_from_iso_week(-10000, 52, 7)), range("year", "-10000", "-9999..=9999")},
        {message(date_from_iso_week(9999, 52, 6)), range("day", "2932897", "-4371587..=2932896")},
        {message(date_from_iso_week(-9999, 1, 1)), "ok"},
        {message(add_days(Date{9999, 10, 10}, 100)),
         "adding 100 days to 9999-10-10 leaves the supported range of dates (-9999-01-01 to "
         "9999-12-31)"},
        {message(add_days(Date{-9999, 1, 1}, INT64_MIN)),
         "adding -9223372036854775808 days to -9999-01-01 leaves the supported range of dates "
         "(-9999-01-01 to 9999-12-31)"},
        {message(add_days(Date{9999, 12, 31}, 0)), "ok"},
        {message(add_months(Date{9999, 12, 1}, 1)), range("year", "10000", "-9999..=9999")},
        {message(add_months(Date{-9999, 1, 31}, -1)), range("year", "-10000", "-9999..=9999")},
        {message(add_months(Date{-9999, 1, 1}, 239'988)), range("year", "10000", "-9999..=9999")},
        {message(add_months(Date{9999, 12, 31}, -239'988)),
         range("year", "-10000", "-9999..=9999")},
        {message(add_months(Date{9999, 1, 1}, -239'989)),
         range("months", "-239989", "-239988..=239988")},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].first, rows[i].second) << i;
}

}  // namespace
}  // namespace orvel::datetime
