#pragma once

#include <string>

namespace kiro {

// The name of the user the log lines are written for, injected so that tests can fix it.
class IUserName {
public:
    virtual ~IUserName() = default;
    virtual std::string Name() const = 0;
};

}  // namespace kiro
