// One setup of a package at a time: two setups writing the same temporary copy could
// rename a truncated one over the installed package.
#pragma once

#include <string>

#include "base/win32.h"

class InstanceGuard {
public:
    // Held until the guard is destroyed (or the process ends, however it ends).
    explicit InstanceGuard(const std::string& baseName);
    // True when another setup of the package holds the guard. A guard that cannot be
    // created at all is not taken as another setup.
    bool AnotherSetupRuns() const { return anotherSetupRuns_; }

private:
    win::UniqueHandle mutex_;
    bool anotherSetupRuns_ = false;
};
