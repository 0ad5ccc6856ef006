#include "platform/Clock.h"

namespace kiro {

std::tm LocalTimeAt(std::time_t time) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &time);
#else
    localtime_r(&time, &local);
#endif
    return local;
}

std::time_t SecondsAsIfUtc(std::tm fields) {
#ifdef _WIN32
    return _mkgmtime(&fields);
#else
    return timegm(&fields);
#endif
}

std::tm CSystemClock::LocalNow() const {
    return LocalTimeAt(std::time(nullptr));
}

std::tm MakeLocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    // Counting the fields as UTC only normalises them and fills in the weekday; no zone is
    // involved.
    const std::time_t asUtc = SecondsAsIfUtc(time);
    std::tm result{};
#ifdef _WIN32
    gmtime_s(&result, &asUtc);
#else
    gmtime_r(&asUtc, &result);
#endif
    return result;
}

}  // namespace kiro
