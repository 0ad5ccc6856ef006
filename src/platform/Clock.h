#pragma once

#include <ctime>

#include "seams/Clock.h"

namespace kiro {

class CSystemClock final : public IClock {
public:
    std::tm LocalNow() const override;
};

// Set must not race with a running batch.
class CFixedClock final : public IClock {
public:
    explicit CFixedClock(const std::tm& time) : m_time(time) {}
    std::tm LocalNow() const override { return m_time; }
    void Set(const std::tm& time) { m_time = time; }

private:
    std::tm m_time;
};

// The local calendar time of a moment.
std::tm LocalTimeAt(std::time_t time);
// The seconds since 1970 that the fields would stand for if they were UTC.
std::time_t SecondsAsIfUtc(std::tm fields);

// Builds a calendar time from its fields, with the weekday filled in.
std::tm MakeLocalTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace kiro
