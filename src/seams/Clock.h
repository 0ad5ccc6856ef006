#pragma once

#include <ctime>

namespace kiro {

// The local wall-clock time, injected so that tests can fix it. A batch conversion reads
// it from a worker thread too, so implementations must allow concurrent calls.
class IClock {
public:
    virtual ~IClock() = default;
    virtual std::tm LocalNow() const = 0;
};

}  // namespace kiro
