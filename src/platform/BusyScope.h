#pragma once

#include <functional>

namespace kiro {

// Shows the wait cursor (or whatever `busy` stands for) for as long as it lives, on every
// way out of a long step.
using BusyHook = std::function<void(bool busy)>;

class CBusyScope {
public:
    explicit CBusyScope(const BusyHook& busy) : m_busy(busy) {
        if (m_busy) {
            m_busy(true);
        }
    }
    ~CBusyScope() {
        if (m_busy) {
            m_busy(false);
        }
    }
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

private:
    const BusyHook& m_busy;
};

}  // namespace kiro
