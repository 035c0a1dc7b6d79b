#include "setup/environment.h"

#include <windows.h>

#include <optional>

#include "base/errors.h"
#include "base/log.h"
#include "base/path_text.h"
#include "base/system.h"
#include "base/wide_text.h"
#include "localisation/common.h"
#include "localisation/messages.h"
#include "localisation/seams.h"
#include "setup/paths.h"

InstallContext installContext;

namespace {

std::string SystemFolderText(UINT(WINAPI* query)(LPWSTR, UINT)) {
    wchar_t buffer[256] = {};
    const UINT length = query(buffer, 255);
    // A longer path than the buffer holds reports its needed size; it is not kept.
    if (length == 0 || length > 255) return std::string();
    return WithTrailingBackslash(Utf8FromWide(buffer, length));
}

bool IsWindowsNt() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return ::GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// Reads one value of the open key when it exists; a missing value keeps the field.
void ReadIfPresent(TRegistry& reg, const char* name, std::string& field) {
    if (reg.ValueExists(name)) field = reg.ReadString(name);
}

// The install folder named by the uninstall entry under `path`, if there is a usable one.
std::optional<std::string> UninstallEntryFolder(TRegistry& reg, const std::string& path, const char* view) {
    std::optional<std::string> folder;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    const Text key = Text::Fixed("HKLM\\" + path + " (" + view + ")");
    if (reg.OpenKey(path, false)) {
        if (reg.ValueExists("UninstallString")) {
            const std::string value = reg.ReadString("UninstallString");
            folder = FolderFromUninstallString(value);
            runlog::Write(Text::Fixed("uninstall entry ") + key + ": \"UninstallString\" = " + Text::FromUtf8(value) +
                          (folder ? "" : " (names no install folder)"));
        } else {
            runlog::Write(Text::Fixed("uninstall entry ") + key + " has no \"UninstallString\"");
        }
        reg.CloseKey();
    } else {
        runlog::Write(Text::Fixed("no uninstall entry ") + key);
    }
    return folder;
}

void Discover(TRegistry& reg, const std::string& shortName) {
    InstallContext& c = installContext;
    const std::string shellFolders = std::string(kCurrentVersionKey) + "Explorer\\Shell Folders";

    c.commonPrograms.clear();
    c.systemFolder = SystemFolderText(::GetSystemDirectoryW);
    c.windowsFolder = SystemFolderText(::GetWindowsDirectoryW);

    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKey(kCurrentVersionKey, false)) {
        ReadIfPresent(reg, "ProgramFilesDir", c.programFilesFolder);
        AddTrailingBackslash(c.programFilesFolder);
        reg.CloseKey();
    }

    c.administrator = seams::isUserAnAdmin() != FALSE;
    c.tempFolder = WithTrailingBackslash(EnvironmentVariable("Temp"));

    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKey(shellFolders, false)) {
        c.commonDesktop.clear();
        ReadIfPresent(reg, "Common Desktop", c.commonDesktop);
        if (IsWindowsNt()) ReadIfPresent(reg, "Common Programs", c.commonPrograms);
        reg.CloseKey();
    }

    reg.SetRootKey(HKEY_CURRENT_USER);
    if (reg.OpenKey(shellFolders, false)) {
        ReadIfPresent(reg, "Programs", c.userPrograms);
        ReadIfPresent(reg, "Desktop", c.userDesktop);
        ReadIfPresent(reg, "Startup", c.userStartup);
        reg.CloseKey();
    }

    c.uninstallRoot = std::string(kCurrentVersionKey) + "Uninstall\\";
    if (c.commonPrograms.size() < 2) c.commonPrograms = c.userPrograms;
    for (std::string* folder : {&c.commonDesktop, &c.commonPrograms, &c.userPrograms, &c.userDesktop, &c.userStartup})
        AddTrailingBackslash(*folder);

    c.installFolder = c.programFilesFolder + shortName;
    c.uninstallEntry = c.uninstallRoot + shortName;
    std::optional<std::string> found = UninstallEntryFolder(reg, c.uninstallEntry, "native view");
    if (!found) {
        c.uninstallEntry = Wow6432Path(c.uninstallRoot) + shortName;
        found = UninstallEntryFolder(reg, c.uninstallEntry, "32-bit view");
    }
    if (found)
        c.installFolder = *found;
    else
        c.uninstallEntry.clear();
    AddTrailingBackslash(c.installFolder);
    runlog::Write(Text::Fixed(found ? "install folder: " : "install folder (the default): ") +
                  Text::FromUtf8(c.installFolder));
}

}  // namespace

void DiscoverEnvironment(const std::string& applicationShortName) {
    TRegistry& reg = common::Registry();
    try {
        Discover(reg, applicationShortName);
    } catch (const RegistryError&) {
        reg.CloseKey();
        throw SetupError(messages::NoRegistryAccess(), ExitCode::Environment);
    }
}
