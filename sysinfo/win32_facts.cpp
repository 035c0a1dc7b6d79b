#include "sysinfo/win32_facts.h"

#include <windows.h>

#include <cstring>

#include "base/errors.h"
#include "base/registry.h"
#include "base/wide_text.h"
#include "base/win32.h"
#include "sysinfo/console_capture.h"

namespace sysinfo {
namespace {

static_assert(sizeof(OSVERSIONINFOEXA) == 156, "extended version record");
static_assert(sizeof(OSVERSIONINFOA) == 148, "basic version record");

bool KeyOpens(const wchar_t* path, win::UniqueKey& key) {
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, key.Put()) == ERROR_SUCCESS) return true;
    key.Detach();  // the out-parameter is undefined on failure
    return false;
}

}  // namespace

std::optional<VersionRecord> Win32WindowsFacts::Version() {
    OSVERSIONINFOEXA record{};
    record.dwOSVersionInfoSize = sizeof record;
    auto* basic = reinterpret_cast<OSVERSIONINFOA*>(&record);
    // NT 4 before SP6 and 95 know only the basic record and refuse the extended size.
    const bool extended = ::GetVersionExA(basic) != 0;
    if (!extended) {
        record.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!::GetVersionExA(basic)) return std::nullopt;
    }
    VersionRecord v;
    v.major = record.dwMajorVersion;
    v.minor = record.dwMinorVersion;
    v.build = record.dwBuildNumber;
    v.platformId = record.dwPlatformId;
    v.csdText.assign(record.szCSDVersion, strnlen(record.szCSDVersion, sizeof record.szCSDVersion));
    v.csdLetter = record.szCSDVersion[1];
    v.suiteMask = record.wSuiteMask;
    v.productType = record.wProductType;
    v.extended = extended;
    return v;
}

uint16_t Win32WindowsFacts::Architecture() {
    SYSTEM_INFO info{};
    // GetSystemInfo gives a 32-bit program under WOW64 the x86 of its own view; only
    // GetNativeSystemInfo (XP and later) tells the real processor.
    using NativeSystemInfo = void(WINAPI*)(LPSYSTEM_INFO);
    const auto native = win::KernelProcedure<NativeSystemInfo>("GetNativeSystemInfo");
    if (native)
        native(&info);
    else
        ::GetSystemInfo(&info);
    return info.wProcessorArchitecture;
}

bool Win32WindowsFacts::Metric(SystemMetric metric) { return ::GetSystemMetrics(static_cast<int>(metric)) != 0; }

std::optional<std::string> Win32WindowsFacts::ProductName() {
    // Under WOW64 a 32-bit program would otherwise read the copy under WOW6432Node.
    TRegistry registry(KEY_QUERY_VALUE | KEY_WOW64_64KEY);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKey("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", false)) return std::nullopt;
    if (!registry.ValueExists("ProductName")) return std::nullopt;
    try {
        return registry.ReadString("ProductName");
    } catch (const RegistryError&) {
        // A value of another type is no name; start-up goes on with the built one.
        return std::nullopt;
    }
}

std::optional<std::string> Win32WindowsFacts::ProductOptions() {
    win::UniqueKey key;
    if (!KeyOpens(L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions", key)) return std::nullopt;
    wchar_t value[128] = {};
    DWORD size = sizeof value;
    DWORD type = REG_NONE;
    if (::RegQueryValueExW(key.Get(), L"ProductType", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    // A stored string need not end in NUL. The words compared are ASCII.
    size_t length = 0;
    while (length < size / sizeof(wchar_t) && value[length] != L'\0') ++length;
    return Utf8FromWide(value, length);
}

bool Win32WindowsFacts::HasQ246009Hotfix() {
    win::UniqueKey key;
    return KeyOpens(L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009", key);
}

std::string Win32WindowsFacts::VerOutput() { return CaptureConsoleOutput("ver"); }

}  // namespace sysinfo
