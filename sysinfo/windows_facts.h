// The facts about the running Windows that its identification reads. A provider gives
// each fact when it is asked for it, so that the rules ask only for what their path
// needs: the command interpreter, above all, is started only when the reported version
// cannot tell the newer releases apart.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sysinfo {

// The fields of OSVERSIONINFOEXA that the identification uses.
struct VersionRecord {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;       // the whole dwBuildNumber; on 95/98/Me its high word holds major.minor
    uint32_t platformId = 0;  // 1 the 95/98/Me family, 2 NT
    std::string csdText;      // szCSDVersion up to its first NUL
    char csdLetter = '\0';    // szCSDVersion[1]: the release letter on 95/98/Me (" A ", " C ")
    uint16_t suiteMask = 0;   // zero when only the basic record was filled
    uint8_t productType = 0;  // 1 workstation, 2 domain controller, 3 server; zero likewise
    bool extended = false;    // the query with the extended record succeeded
};

enum class SystemMetric : int {
    TabletPc = 86,     // SM_TABLETPC
    MediaCenter = 87,  // SM_MEDIACENTER
    Starter = 88,      // SM_STARTER
    ServerR2 = 89,     // SM_SERVERR2
};

// wProcessorArchitecture values that the tables name; others are reported by number.
namespace arch {
constexpr uint16_t kX86 = 0;
constexpr uint16_t kItanium = 6;
constexpr uint16_t kAmd64 = 9;
}  // namespace arch

class WindowsFacts {
public:
    virtual ~WindowsFacts() = default;

    // No value when both the extended and the basic query fail.
    virtual std::optional<VersionRecord> Version() = 0;
    // Of the native system, where kernel32 can tell it (GetNativeSystemInfo).
    virtual uint16_t Architecture() = 0;
    virtual bool Metric(SystemMetric metric) = 0;
    // "ProductName" of HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion in the 64-bit
    // view; no value when the key cannot be opened or the value cannot be read.
    virtual std::optional<std::string> ProductName() = 0;
    // The REG_SZ "ProductType" of HKLM\SYSTEM\CurrentControlSet\Control\ProductOptions;
    // no value when the key, the value or its type is not there.
    virtual std::optional<std::string> ProductOptions() = 0;
    // The key HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Hotfix\Q246009 exists:
    // NT 4 SP6 with the fix that Microsoft shipped as "Service Pack 6a".
    virtual bool HasQ246009Hotfix() = 0;
    // What the command interpreter's "ver" prints, lines joined with "\r\n".
    virtual std::string VerOutput() = 0;
};

}  // namespace sysinfo
