// Placeholder until the version tables land: reports 64-bit Windows from WOW64.
#include "sysinfo/windows_version.h"

#include <windows.h>

namespace sysinfo {
namespace {
bool windows64 = false;
}

std::string WindowsDescription(bool) {
    BOOL wow = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &wow);
    windows64 = wow != FALSE;
    return "unknown";
}

bool IsWindows64() { return windows64; }
bool IsServer() { return false; }
bool IsNt6Family() { return false; }
bool IsNt10Family() { return false; }

}  // namespace sysinfo
