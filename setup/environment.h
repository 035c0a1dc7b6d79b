// InstallContext: the folders, registry paths and flags found before the first
// question, and the discovery that fills it. Folders are UTF-8.
#pragma once

#include <string>

struct InstallContext {
    std::string systemFolder;
    std::string windowsFolder;
    std::string programFilesFolder;
    bool administrator = false;
    std::string tempFolder;
    std::string commonDesktop;
    std::string commonPrograms;
    std::string userPrograms;
    std::string userDesktop;
    std::string userStartup;
    std::string uninstallRoot;  // "Software\Microsoft\Windows\CurrentVersion\Uninstall\"
    std::string installFolder;  // ends with a backslash unless empty
    // The key below HKEY_LOCAL_MACHINE, in the accessor's view, whose "UninstallString"
    // named the install folder (under "WOW6432Node" for a 32-bit entry); empty when none did.
    std::string uninstallEntry;
};

extern InstallContext installContext;

inline constexpr const char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\";

// Fills installContext. Raises SetupError (the registry pair, ExitCode::Environment)
// when the registry cannot be read.
void DiscoverEnvironment(const std::string& applicationShortName);
