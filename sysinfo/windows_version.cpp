#include "sysinfo/windows_version.h"

#include "sysinfo/version_rules.h"
#include "sysinfo/win32_facts.h"

namespace sysinfo {
namespace {
WindowsFlags flags;
DescriptionObserver observer = nullptr;
}  // namespace

std::string WindowsDescription(bool includeVersion) {
    Win32WindowsFacts facts;
    std::string description = DescribeWindows(facts, includeVersion, flags);
    if (observer) observer(description);
    return description;
}

bool IsWindows64() { return flags.windows64; }
bool IsServer() { return flags.server; }
bool IsNt6Family() { return flags.nt6Family; }
bool IsNt10Family() { return flags.nt10Family; }

void ObserveDescriptions(DescriptionObserver newObserver) { observer = newObserver; }

}  // namespace sysinfo
