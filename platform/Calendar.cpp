#include "platform/Calendar.h"

#include <cstdio>

namespace platform {
namespace {

constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool Utc(std::time_t t, std::tm& fields) { return gmtime_r(&t, &fields) != nullptr; }

}  // namespace

std::time_t Calendar::Now() { return std::time(nullptr); }

void Calendar::UtcDate(std::time_t t, int& year, int& month, int& day) {
    std::tm fields{};
    if (!Utc(t, fields)) {
        year = 1970;
        month = 1;
        day = 1;
        return;
    }
    year = fields.tm_year + 1900;
    month = fields.tm_mon + 1;
    day = fields.tm_mday;
}

int Calendar::UtcDayOfYear(std::time_t t) {
    std::tm fields{};
    return Utc(t, fields) ? fields.tm_yday + 1 : 1;
}

std::string Calendar::LocalStamp(std::time_t t) {
    std::tm fields{};
    if (!localtime_r(&t, &fields))
        return "";
    // Formatted by hand: strftime's %b would follow LC_TIME.
    const int month = fields.tm_mon >= 0 && fields.tm_mon < 12 ? fields.tm_mon : 0;
    char text[64];
    std::snprintf(text, sizeof text, "%d-%s-%02d %02d:%02d:%02d", fields.tm_year + 1900,
                  kMonths[month], fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec);
    return text;
}

}  // namespace platform
