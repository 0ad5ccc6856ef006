#include "platform/TimeText.h"

#include <array>
#include <cstdio>

namespace kiro {
namespace {

constexpr std::array<const char*, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kMonths = {"January",   "February", "March",    "April",
                                                 "May",       "June",     "July",     "August",
                                                 "September", "October",  "November", "December"};

const char* NameAt(const auto& names, int index) {
    if (index < 0 || index >= static_cast<int>(names.size())) {
        return "?";
    }
    return names[static_cast<std::size_t>(index)];
}

}  // namespace

std::string FormatTimeStamp(const std::tm& time) {
    char text[96];
    std::snprintf(text, sizeof text, "%s, %s %02d, %04d, %02d:%02d:%02d",
                  NameAt(kWeekdays, time.tm_wday), NameAt(kMonths, time.tm_mon), time.tm_mday,
                  time.tm_year + 1900, time.tm_hour, time.tm_min, time.tm_sec);
    return text;
}

}  // namespace kiro
