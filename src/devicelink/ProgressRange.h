#pragma once

#include <algorithm>

#include "seams/DeviceControls.h"

namespace kiro {

// The one shape of a progress bar adapter: it keeps the range and position the engine
// sets and tells how far along that is; an adapter only draws, in Repaint and, where a
// control must follow each change, in Changed.
class CProgressRange : public IProgressBar {
public:
    void SetRange(int lower, int upper) override {
        m_lower = lower;
        m_upper = upper;
        Changed();
    }
    void SetPos(int position) override {
        m_position = position;
        Changed();
    }

    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }
    int Position() const { return m_position; }
    // The range's width, never less than 1.
    int Span() const { return std::max(1, m_upper - m_lower); }
    // How far along, from 0 to 1 for a position inside the range.
    double Fraction() const { return static_cast<double>(m_position - m_lower) / Span(); }

protected:
    virtual void Changed() {}

private:
    int m_lower = 0;
    int m_upper = 1;
    int m_position = 0;
};

}  // namespace kiro
