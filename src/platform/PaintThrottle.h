#pragma once

#include <chrono>

namespace kiro {

// Says when work that costs a round trip to the display is worth doing again. On GTK 3
// a forced repaint waits for the display's next frame, so forcing one per chunk or per
// status text would cost a frame each; a few per second keep the progress moving, and
// the job's pump paints the rest.
class CPaintThrottle {
public:
    explicit CPaintThrottle(std::chrono::milliseconds interval = std::chrono::milliseconds(50))
        : m_interval(interval) {}

    bool Due() {
        const auto now = std::chrono::steady_clock::now();
        if (now - m_last < m_interval) {
            return false;
        }
        m_last = now;
        return true;
    }

private:
    std::chrono::milliseconds m_interval;
    std::chrono::steady_clock::time_point m_last{};
};

}  // namespace kiro
