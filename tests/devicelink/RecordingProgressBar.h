#pragma once

#include <functional>
#include <vector>

#include "devicelink/DeviceControls.h"

namespace kiro::test {

class CRecordingProgressBar final : public IProgressBar {
public:
    void SetRange(int from, int to) override {
        lower = from;
        upper = to;
        ++rangeCalls;
    }
    void SetPos(int position) override { positions.push_back(position); }
    void Repaint() override {
        ++repaints;
        if (onRepaint) {
            onRepaint();
        }
    }

    int lower = -1;
    int upper = -1;
    int rangeCalls = 0;
    int repaints = 0;
    std::vector<int> positions;
    std::function<void()> onRepaint;
};

}  // namespace kiro::test
