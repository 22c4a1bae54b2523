#include "platform/Calendar.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

namespace {

using platform::Calendar;

TEST(Calendar, UtcDatesAndDaysOfYear) {
    const struct {
        std::time_t t;
        int year, month, day, dayOfYear;
    } cases[] = {
        {0, 1970, 1, 1, 1},
        {951782400, 2000, 2, 29, 60},         // leap day
        {978263999, 2000, 12, 31, 366},       // last second of a leap year
        {1234567890, 2009, 2, 13, 44},
    };
    for (const auto& c : cases) {
        int year = 0, month = 0, day = 0;
        Calendar::UtcDate(c.t, year, month, day);
        EXPECT_EQ(year, c.year) << c.t;
        EXPECT_EQ(month, c.month) << c.t;
        EXPECT_EQ(day, c.day) << c.t;
        EXPECT_EQ(Calendar::UtcDayOfYear(c.t), c.dayOfYear) << c.t;
    }
}

TEST(Calendar, LocalStampUsesEnglishMonthsInTheLocalZone) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(Calendar::LocalStamp(951782400 + 3600 * 14 + 60 * 5 + 9), "2000-Feb-29 14:05:09");
    setenv("TZ", "CET-1", 1);
    tzset();
    EXPECT_EQ(Calendar::LocalStamp(1234567890), "2009-Feb-14 00:31:30");
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

}  // namespace
