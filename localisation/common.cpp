#include "localisation/common.h"

#include <windows.h>

#include <memory>

#include "base/log.h"
#include "base/number_text.h"
#include "base/random.h"
#include "base/win32.h"
#include "localisation/locale_rules.h"
#include "localisation/seams.h"
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
bool boxesSuppressed = false;

namespace {
std::unique_ptr<TRegistry> registry;

REGSAM view = 0;
}  // namespace

TRegistry& Registry() { return *registry; }
REGSAM RegistryView() { return view; }

Language UserLanguage() {
    return IsRussianUiLocale(seams::getUserDefaultLcid()) ? Language::Russian : Language::English;
}

void StartUp(const RunOptions& options) {
    LARGE_INTEGER counter;
    SeedRandom(::QueryPerformanceCounter(&counter) ? static_cast<uint32_t>(counter.LowPart) : ::GetTickCount());

    const LCID lcid = seams::getUserDefaultLcid();
    russianUi = IsRussianUiLocale(lcid);
    boxesSuppressed = options.BoxesSuppressed();
    // Called for its side effect, the 64-bit Windows flag; the text goes to the log only.
    const std::string description = sysinfo::IdentifyWindowsAtStartUp();
    view = sysinfo::IsWindows64() ? KEY_WOW64_64KEY : 0;
    // Read access only: an entry that an administrator may read but not change is still
    // found. The one write of the run asks for its own access.
    registry = std::make_unique<TRegistry>(KEY_READ | view);

    runlog::Write(Text::Fixed("Windows: ") + Text::FromUtf8(description) + "; 64-bit Windows: " +
                  (sysinfo::IsWindows64() ? "yes; registry view: 64-bit" : "no; registry view: the default"));
    runlog::Write(Text::Fixed("user locale: ") + DecimalText(lcid) +
                  (russianUi ? "; texts in Russian" : "; texts in English"));
}

void ShutDown() {
    registry.reset();
    sysinfo::CompleteWindowsIdentification();
}

}  // namespace common
