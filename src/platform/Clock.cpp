#include "platform/Clock.h"

namespace kiro {

std::tm CSystemClock::LocalNow() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::tm MakeLocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    // timegm only normalises the fields and fills in the weekday; no zone is involved.
    std::tm normalised = time;
    const std::time_t asUtc = timegm(&normalised);
    std::tm result{};
    gmtime_r(&asUtc, &result);
    return result;
}

}  // namespace kiro
