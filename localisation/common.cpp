#include "localisation/common.h"

#include <windows.h>

#include <memory>

#include "localisation/locale_rules.h"
#include "localisation/seams.h"
#include "localisation/win32.h"
#include "sysinfo/windows_version.h"

namespace {
// What IsUserAnAdmin answers, asked of advapi32 directly: shell32 would bring user32
// and the display driver into every run, quiet ones too.
BOOL WINAPI IsAdministrator() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                    0, 0, &administrators))
        return FALSE;
    win::ScopeExit freeSid([administrators] { ::FreeSid(administrators); });
    BOOL member = FALSE;
    return ::CheckTokenMembership(nullptr, administrators, &member) && member;
}
}  // namespace

namespace seams {
BOOL(WINAPI* isUserAnAdmin)() = IsAdministrator;
LCID(WINAPI* getUserDefaultLcid)() = ::GetUserDefaultLCID;
}  // namespace seams

namespace common {

bool russianUi = false;
std::string firstParameter;
std::string russianDisplayName;
std::string englishDisplayName;

namespace {
std::unique_ptr<TRegistry> registry;
uint32_t randomState = 1;

constexpr REGSAM kAllAccess = KEY_ALL_ACCESS;                      // 0xF003F
constexpr REGSAM kAllAccess64 = KEY_ALL_ACCESS | KEY_WOW64_64KEY;  // 0xF013F
}  // namespace

TRegistry& Registry() { return *registry; }

unsigned Random(unsigned range) {
    // xorshift32: any uniform choice serves the temporary file names.
    randomState ^= randomState << 13;
    randomState ^= randomState >> 17;
    randomState ^= randomState << 5;
    return static_cast<unsigned>((static_cast<uint64_t>(randomState) * range) >> 32);
}

void StartUp(const std::string& commandLine) {
    LARGE_INTEGER counter;
    uint32_t seed = ::QueryPerformanceCounter(&counter) ? static_cast<uint32_t>(counter.LowPart) : ::GetTickCount();
    randomState = seed != 0 ? seed : 0x9E3779B9u;

    russianUi = IsRussianUiLocale(seams::getUserDefaultLcid());
    sysinfo::WindowsDescription(false);  // for its side effect: the 64-bit Windows flag
    registry = std::make_unique<TRegistry>(sysinfo::IsWindows64() ? kAllAccess64 : kAllAccess);
    firstParameter = LowerAscii(CommandLineParameter(commandLine, 1));
}

void ShutDown() {
    registry.reset();
    firstParameter.clear();
    russianDisplayName.clear();
    englishDisplayName.clear();
}

}  // namespace common
