#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <regex>

#include "support/TempDir.h"

namespace telk::test {
namespace {

std::string LibraryDate() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char text[32]; // room for any int the format could meet
    std::snprintf(text, sizeof text, "%02d-%02d-%04d", local->tm_mon + 1, local->tm_mday,
                  local->tm_year + 1900);
    return text;
}

TEST(ClockContract, TodayIsTheLocalDateAsMonthDayYear) {
    auto clock = MakePlatformClock();
    // Taken on both sides, so a run across midnight still agrees with one.
    const std::string before = LibraryDate();
    const std::string today = clock->Today();
    const std::string after = LibraryDate();

    EXPECT_TRUE(std::regex_match(today, std::regex("(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])-[0-9]{4}")))
        << today;
    EXPECT_TRUE(today == before || today == after) << today << " vs " << before << "/" << after;

    // The time of day, in the same calendar.
    const std::string now = clock->Now();
    EXPECT_TRUE(std::regex_match(now, std::regex("[0-9]{4}-[01][0-9]-[0-3][0-9] [0-2][0-9]-[0-5][0-9]-[0-6][0-9]"))) << now;
    const std::string monthDayYear = now.substr(5, 5) + "-" + now.substr(0, 4);
    EXPECT_TRUE(monthDayYear == today || monthDayYear == LibraryDate()) << now << " vs " << today;
}

} // namespace
} // namespace telk::test
