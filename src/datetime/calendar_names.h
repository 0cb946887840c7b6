// English weekday and month names for strftime and strptime.
#pragma once

#include <string_view>

namespace orvel::datetime {

// Index 0 is Monday, as weekday numbers 1..7 minus one.
inline constexpr std::string_view kWeekdayNames[7] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                      "Friday", "Saturday", "Sunday"};
inline constexpr std::string_view kWeekdayAbbreviations[7] = {"Mon", "Tue", "Wed", "Thu",
                                                              "Fri", "Sat", "Sun"};
// Index 0 is January.
inline constexpr std::string_view kMonthNames[12] = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
inline constexpr std::string_view kMonthAbbreviations[12] = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace orvel::datetime
