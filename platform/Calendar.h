#pragma once
// Wall-clock time and calendar dates. Month names are always the C locale's,
// whatever locale the process runs in. Safe to call from any thread.
#include <ctime>
#include <string>

namespace platform {

class Calendar {
public:
    // Seconds since 1970-01-01 UTC.
    static std::time_t Now();

    // The date of t in UTC: year, month 1-12, day 1-31.
    static void UtcDate(std::time_t t, int& year, int& month, int& day);
    // The day of the year of t in UTC, 1-366.
    static int UtcDayOfYear(std::time_t t);
    // t in the local time zone as "2009-Mar-07 14:05:09".
    static std::string LocalStamp(std::time_t t);
};

}  // namespace platform
