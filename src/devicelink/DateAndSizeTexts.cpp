#include "devicelink/DateAndSizeTexts.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <string_view>

#include "platform/Clock.h"

namespace kiro {
namespace {

struct CalendarTime {
    long long year;
    unsigned month;
    unsigned day;
    unsigned hour;
    unsigned minute;
    unsigned second;
};

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(long long days, long long& year, unsigned& month, unsigned& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    year = static_cast<long long>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

CalendarTime FileTimeToCalendar(const rapi::FILETIME& time) {
    constexpr long long kSecondsFrom1601To1970 = 11644473600LL;
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    const long long seconds = static_cast<long long>(ticks / 10000000ULL) - kSecondsFrom1601To1970;
    long long days = seconds / 86400;
    long long secondOfDay = seconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    CalendarTime calendar{};
    CivilFromDays(days, calendar.year, calendar.month, calendar.day);
    calendar.hour = static_cast<unsigned>(secondOfDay / 3600);
    calendar.minute = static_cast<unsigned>(secondOfDay / 60 % 60);
    calendar.second = static_cast<unsigned>(secondOfDay % 60);
    return calendar;
}

}  // namespace

std::string FormatDeviceDate(const rapi::FILETIME& time) {
    const CalendarTime t = FileTimeToCalendar(time);
    const bool afternoon = t.hour >= 12;
    unsigned hour = t.hour % 12;
    if (hour == 0) {
        hour = 12;
    }
    // As "%u/%u/%lld  %u:%u:%u %s" writes it, without printf: a listing of thousands of
    // files would feel it.
    std::string text;
    text.reserve(32);
    const auto append = [&text](auto number, std::string_view after) {
        char digits[24];
        text.append(digits, std::to_chars(std::begin(digits), std::end(digits), number).ptr);
        text.append(after);
    };
    append(t.month, "/");
    append(t.day, "/");
    append(t.year, "  ");
    append(hour, ":");
    append(t.minute, ":");
    append(t.second, afternoon ? " PM" : " AM");
    return text;
}

std::string FormatPcFileDate(std::int64_t secondsSince1970) {
    constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600LL;
    const std::time_t time = static_cast<std::time_t>(secondsSince1970);
    // The local wall-clock time, counted as the handheld counts its own.
    const std::int64_t wallClock = static_cast<std::int64_t>(SecondsAsIfUtc(LocalTimeAt(time)));
    const std::uint64_t ticks =
        static_cast<std::uint64_t>(std::max<std::int64_t>(0, wallClock + kSecondsFrom1601To1970)) *
        10000000ULL;
    return FormatDeviceDate(
        {static_cast<rapi::DWORD>(ticks), static_cast<rapi::DWORD>(ticks >> 32)});
}

std::string FormatDeviceSize(std::uint32_t size) {
    return std::to_string(size) + " bytes";
}

}  // namespace kiro
