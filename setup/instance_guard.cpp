#include "setup/instance_guard.h"

#include <windows.h>

#include "base/log.h"
#include "setup/paths.h"

InstanceGuard::InstanceGuard(const std::string& baseName) {
    const std::string name = InstanceGuardName(baseName);
    mutex_.Reset(::CreateMutexA(nullptr, FALSE, name.c_str()));
    const DWORD error = ::GetLastError();
    if (!mutex_) {
        runlog::SystemCallFailed("CreateMutexA", error, Text::Fixed(name));
        return;
    }
    anotherSetupRuns_ = error == ERROR_ALREADY_EXISTS;
}
