// What the Windows tests share: running programs, the registry in both views, files,
// and a sample installation of the application with the stand-in Tarnwick.exe.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base/win32.h"
#include "tests/harness/dialog_driver.h"

// The folder of the running test program, where the build puts all its programs.
std::wstring BinFolder();
std::string BinFolderA();

struct ProcessResult {
    DWORD exitCode = 0;
    bool timedOut = false;
    DWORD milliseconds = 0;
};

// Starts exe with the parameters (a command line is "exe" params), points the driver
// at it before it runs, and waits. A process still running at the timeout is ended.
// `desktop` ("station\\desktop") is where the program runs; empty, the caller's.
ProcessResult RunAndWait(const std::wstring& exe, const std::wstring& parameters, DialogDriver* driver,
                         DWORD timeoutMs = 60000, const std::wstring& currentFolder = L"",
                         const std::wstring& desktop = L"");

// A window station of its own with one desktop, as the system account's programs in
// session 0 have under a deployment tool: not interactive, nobody sees what is shown
// there (a box waits for ever). Closed again at the end.
class HiddenWindowStation {
public:
    explicit HiddenWindowStation(const std::wstring& name);
    HiddenWindowStation(const HiddenWindowStation&) = delete;
    HiddenWindowStation& operator=(const HiddenWindowStation&) = delete;
    ~HiddenWindowStation();
    bool Valid() const { return station_ != nullptr && desktop_ != nullptr; }
    // What STARTUPINFO.lpDesktop takes.
    const std::wstring& Desktop() const { return desktopName_; }

private:
    HWINSTA station_ = nullptr;
    HDESK desktop_ = nullptr;
    std::wstring desktopName_;
};

// Registry, in the view of `view` (KEY_WOW64_64KEY or KEY_WOW64_32KEY).
void SetRegString(HKEY root, const std::string& path, const std::string& name, const std::string& value, REGSAM view);
void SetRegDword(HKEY root, const std::string& path, const std::string& name, DWORD value, REGSAM view);
void SetRegBinary(HKEY root, const std::string& path, const std::string& name, const std::string& value, REGSAM view);
std::optional<DWORD> ReadRegDword(HKEY root, const std::string& path, const std::string& name, REGSAM view);
void DeleteRegValue(HKEY root, const std::string& path, const std::string& name, REGSAM view);
void DeleteRegTree(HKEY root, const std::string& path, REGSAM view);

// Files.
bool WriteBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadBytes(const std::string& path);
bool PathExists(const std::string& path);
void RemoveTree(const std::string& path);
std::vector<std::string> ListFolder(const std::string& folder);  // names, without "." and ".."
std::string ReadWholeFile(const std::string& path);  // "" when missing

// Links as a user could plant them. Wine 8 has no symbolic links of its own; a Unix one
// in the prefix's drive is followed like a Windows one, and is made and removed here by
// the Linux tools (Wine starts a Unix program named by its path on drive Z:).
// The Unix path of a Windows path, through Wine's own export; empty when not under Wine.
std::string UnixPath(const std::string& path);
// Starts a Unix program ("Z:\\bin\\ln ..."); Wine signals its end before it has run.
bool RunUnixTool(const std::string& commandLine);
// A link at `link` to `target`, a Windows path, or with `unixTarget` a Unix one as it
// stands (relative to the link's folder, for instance); true once calls follow it.
bool MakeSymbolicLink(const std::string& target, const std::string& link, bool unixTarget = false);
// Removes the link itself (RemoveDirectoryA and DeleteFileA under Wine 8 leave a Unix
// link in place or remove what it leads to), and waits until it is gone.
void RemoveSymbolicLink(const std::string& link);

extern const char kUninstallKey[];  // Software\...\Uninstall\Tarnwick

// A sample installation: C:\tw-tests\<name>\ with the stand-in Tarnwick.exe and an
// uninstall entry in the native view pointing at it. Removed again at the end.
class SampleInstall {
public:
    explicit SampleInstall(const std::string& name, bool withEntry = true, bool withExecutable = true,
                           const std::string& base = "C:\\tw-tests");
    ~SampleInstall();
    const std::string& Folder() const { return folder_; }  // with a trailing backslash
    std::string Path(const std::string& file) const { return folder_ + file; }
    // Settings of the stand-in, read from standin.ini beside it.
    void SetStandIn(const std::string& key, const std::string& value);
    std::string StandInLog() const { return ReadWholeFile(Path("standin.log")); }
    // Starts the stand-in directly and waits until it announced itself.
    bool StartStandIn(DWORD waitMs = 5000);

private:
    std::string folder_;
};

// Records the name of every file created, renamed or changed in a folder while it
// lives, so that a test can tell whether a temporary file existed at any moment.
// The watch is armed before the constructor returns: it creates and removes a marker
// file until the watching thread has seen it (the marker is not among the names).
class FolderWatcher {
public:
    explicit FolderWatcher(const std::string& folder);
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;
    ~FolderWatcher();
    // Stops watching and gives the names seen, in order, without repeats.
    std::vector<std::string> Stop();

private:
    static DWORD WINAPI ThreadMain(void* self);
    // Creates and removes the marker until `until` is set (or about 5 s have passed).
    bool TouchMarkerUntil(HANDLE until);
    std::string marker_;
    win::UniqueFile folder_;
    win::UniqueHandle armed_;
    win::UniqueHandle stop_;
    win::UniqueHandle thread_;
    std::vector<std::string> names_;
};

// Ends every stand-in still running (posts WM_QUIT to its window, then waits).
void EndStandIns();
// True while "tarnwick_memfile" exists.
bool ApplicationMemoryExists();

// The package the build embeds, for comparisons.
std::string SamplePayloadPath();
