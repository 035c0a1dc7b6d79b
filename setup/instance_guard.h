// One setup of a package at a time: two setups writing the same temporary copy could
// rename a truncated one over the installed package.
#pragma once

#include <string>

#include "base/wide_text.h"
#include "base/win32.h"

class InstanceGuard {
public:
    // Held until the guard is destroyed (or the process ends, however it ends).
    explicit InstanceGuard(const std::string& baseName);
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;
    // True when another setup of the package holds the guard. A guard that cannot be
    // created at all is not taken as another setup.
    bool AnotherSetupRuns() const { return anotherSetupRuns_; }

private:
    // The guard's name in a private namespace bounded by the Administrators group, so
    // that no user without administrator rights can create it first; empty where
    // Windows has no private namespaces (before Vista, and Wine 8).
    WideText PrivateName(const std::string& baseName);

    HANDLE boundary_ = nullptr;
    HANDLE namespace_ = nullptr;
    win::UniqueHandle mutex_;
    bool anotherSetupRuns_ = false;
};
