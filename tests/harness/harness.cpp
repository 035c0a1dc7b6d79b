#include "tests/harness/harness.h"

#include <gtest/gtest.h>

#include <algorithm>

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick";

std::wstring BinFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\'));
}

std::string BinFolderA() { return ToUtf8(BinFolder()); }

ProcessResult RunAndWait(const std::wstring& exe, const std::wstring& parameters, DialogDriver* driver, DWORD timeoutMs,
                         const std::wstring& currentFolder, const std::wstring& desktop) {
    ProcessResult result;
    std::wstring commandLine = L"\"" + exe + L"\"" + (parameters.empty() ? L"" : L" " + parameters);
    std::wstring desktopName = desktop;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!desktopName.empty()) startup.lpDesktop = &desktopName[0];
    PROCESS_INFORMATION process = {};
    const DWORD start = ::GetTickCount();
    if (!::CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                          currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup, &process)) {
        ADD_FAILURE() << "cannot start " << ToUtf8(commandLine) << ": error " << ::GetLastError();
        result.exitCode = 0xFFFFFFFF;
        return result;
    }
    // Declared in this order so that the thread's handle is closed first.
    const win::UniqueHandle child(process.hProcess);
    const win::UniqueHandle childThread(process.hThread);
    if (driver != nullptr) driver->SetProcessId(process.dwProcessId);
    ::ResumeThread(childThread.Get());
    if (::WaitForSingleObject(child.Get(), timeoutMs) == WAIT_TIMEOUT) {
        result.timedOut = true;
        ::TerminateProcess(child.Get(), 0xDEAD);
        ::WaitForSingleObject(child.Get(), 5000);
    }
    result.milliseconds = ::GetTickCount() - start;
    ::GetExitCodeProcess(child.Get(), &result.exitCode);
    return result;
}

HiddenWindowStation::HiddenWindowStation(const std::wstring& name) : desktopName_(name + L"\\Default") {
    station_ = ::CreateWindowStationW(name.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
    if (station_ == nullptr) {
        ADD_FAILURE() << "CreateWindowStationW: error " << ::GetLastError();
        return;
    }
    // A desktop is made in the caller's window station: this one for a moment.
    HWINSTA own = ::GetProcessWindowStation();
    if (::SetProcessWindowStation(station_)) {
        desktop_ = ::CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        ::SetProcessWindowStation(own);
    }
    if (desktop_ == nullptr) ADD_FAILURE() << "CreateDesktopW: error " << ::GetLastError();
}

HiddenWindowStation::~HiddenWindowStation() {
    if (desktop_ != nullptr) ::CloseDesktop(desktop_);
    if (station_ != nullptr) ::CloseWindowStation(station_);
}

namespace {
win::UniqueKey CreateKey(HKEY root, const std::string& path, REGSAM view) {
    win::UniqueKey key;
    LSTATUS s =
        ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, key.Put(), nullptr);
    // Given up before the expectation, which may throw: the out-parameter is undefined on failure.
    if (s != ERROR_SUCCESS) key.Detach();
    EXPECT_EQ(s, ERROR_SUCCESS) << "cannot create " << path;
    return key;
}

// Invalid when the key cannot be opened; a missing key is no failure here.
win::UniqueKey OpenKey(HKEY root, const std::string& path, REGSAM access) {
    win::UniqueKey key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, access, key.Put()) != ERROR_SUCCESS)
        key.Detach();  // the out-parameter is undefined on failure
    return key;
}
}  // namespace

void SetRegString(HKEY root, const std::string& path, const std::string& name, const std::string& value, REGSAM view) {
    if (const win::UniqueKey key = CreateKey(root, path, view))
        ::RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1));
}

void SetRegDword(HKEY root, const std::string& path, const std::string& name, DWORD value, REGSAM view) {
    if (const win::UniqueKey key = CreateKey(root, path, view))
        ::RegSetValueExA(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void SetRegBinary(HKEY root, const std::string& path, const std::string& name, const std::string& value, REGSAM view) {
    if (const win::UniqueKey key = CreateKey(root, path, view))
        ::RegSetValueExA(key.Get(), name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(value.data()),
                         static_cast<DWORD>(value.size()));
}

std::optional<DWORD> ReadRegDword(HKEY root, const std::string& path, const std::string& name, REGSAM view) {
    const win::UniqueKey key = OpenKey(root, path, KEY_QUERY_VALUE | view);
    if (!key.Valid()) return std::nullopt;
    DWORD type = 0, value = 0, size = sizeof value;
    LSTATUS s = ::RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (s != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
    return value;
}

void DeleteRegValue(HKEY root, const std::string& path, const std::string& name, REGSAM view) {
    const win::UniqueKey key = OpenKey(root, path, KEY_SET_VALUE | view);
    if (!key.Valid()) return;
    ::RegDeleteValueA(key.Get(), name.c_str());
}

void DeleteRegTree(HKEY root, const std::string& path, REGSAM view) {
    // The key's own handle is closed before the key itself is deleted.
    if (const win::UniqueKey key = OpenKey(root, path, KEY_ALL_ACCESS | view)) ::RegDeleteTreeA(key.Get(), nullptr);
    ::RegDeleteKeyExA(root, path.c_str(), view, 0);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    const win::UniqueFile f(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.Valid()) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return ok && written == bytes.size();
}

std::optional<std::string> ReadBytes(const std::string& path) {
    const win::UniqueFile f(::CreateFileA(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    if (!f.Valid()) return std::nullopt;
    LARGE_INTEGER size;
    ::GetFileSizeEx(f.Get(), &size);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    BOOL ok = bytes.empty() || ::ReadFile(f.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    if (!ok || read != bytes.size()) return std::nullopt;
    return bytes;
}

std::string ReadWholeFile(const std::string& path) { return ReadBytes(path).value_or(std::string()); }

bool PathExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    std::string base = folder;
    if (!base.empty() && base.back() != '\\') base += '\\';
    const win::UniqueFind search(::FindFirstFileA((base + "*").c_str(), &entry));
    if (!search.Valid()) return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(search.Get(), &entry));
    return names;
}

void RemoveTree(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        for (const std::string& name : ListFolder(path)) RemoveTree(path + "\\" + name);
        ::RemoveDirectoryA(path.c_str());
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        ::RemoveDirectoryA(path.c_str());
    } else {
        ::DeleteFileA(path.c_str());
    }
}

std::string UnixPath(const std::string& path) {
    using UnixNameFn = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return std::string();
    char* name = unixName(FromUtf8(path).c_str());
    if (!name) return std::string();
    std::string result(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
}

bool RunUnixTool(const std::string& commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = FromUtf8(commandLine);
    if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

bool MakeSymbolicLink(const std::string& target, const std::string& link, bool unixTarget) {
    const std::string to = unixTarget ? target : UnixPath(target), at = UnixPath(link);
    if (to.empty() || at.empty() || !RunUnixTool("Z:\\bin\\ln -s \"" + to + "\" \"" + at + "\"")) return false;
    // Wine does not wait for the Unix program's end; the link is there when a call
    // follows it to its target.
    for (int i = 0; i < 250; ++i) {
        if (::GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        ::Sleep(20);
    }
    return false;
}

void RemoveSymbolicLink(const std::string& link) {
    const std::string at = UnixPath(link);
    if (at.empty() || !RunUnixTool("Z:\\bin\\rm -f \"" + at + "\"")) return;
    for (int i = 0; i < 250 && ::GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) ::Sleep(20);
}

bool ApplicationMemoryExists() {
    const win::UniqueHandle mapping(::OpenFileMappingA(FILE_MAP_READ, FALSE, "tarnwick_memfile"));
    return mapping.Valid();
}

void EndStandIns() {
    for (int i = 0; i < 200; ++i) {
        HWND window = ::FindWindowA("TTarnwickMainForm", nullptr);
        if (window == nullptr && !ApplicationMemoryExists()) return;
        if (window != nullptr) ::PostMessageA(window, i % 2 ? WM_QUIT : WM_CLOSE, 0, 0);
        ::Sleep(25);
    }
}

SampleInstall::SampleInstall(const std::string& name, bool withEntry, bool withExecutable, const std::string& base) {
    ::CreateDirectoryA(base.c_str(), nullptr);
    folder_ = base + "\\" + name + "\\";
    RemoveTree(folder_.substr(0, folder_.size() - 1));
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    if (withExecutable) {
        EXPECT_TRUE(::CopyFileA((BinFolderA() + "\\Tarnwick.exe").c_str(), Path("Tarnwick.exe").c_str(), FALSE));
    }
    DeleteRegTree(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY);
    DeleteRegTree(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY);
    if (withEntry)
        SetRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", folder_ + "unins000.exe", KEY_WOW64_64KEY);
}

SampleInstall::~SampleInstall() {
    EndStandIns();
    DeleteRegTree(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY);
    DeleteRegTree(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY);
    RemoveTree(folder_.substr(0, folder_.size() - 1));
}

void SampleInstall::SetStandIn(const std::string& key, const std::string& value) {
    ::WritePrivateProfileStringA("standin", key.c_str(), value.c_str(), Path("standin.ini").c_str());
}

bool SampleInstall::StartStandIn(DWORD waitMs) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + Path("Tarnwick.exe") + "\"";
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &startup,
                          &process))
        return false;
    {
        // The stand-in is followed through its announcement, not through its process.
        const win::UniqueHandle child(process.hProcess);
        const win::UniqueHandle childThread(process.hThread);
    }
    for (DWORD waited = 0; waited < waitMs; waited += 20) {
        if (ApplicationMemoryExists()) return true;
        ::Sleep(20);
    }
    return false;
}

std::string SamplePayloadPath() { return BinFolderA() + "\\..\\resources\\sample.pak"; }

namespace {
constexpr char kWatchMarker[] = "~folder-watcher.marker";

// Created and, being delete-on-close, removed again as the handle goes: the folder
// sees the name without the file staying behind.
void TouchFile(const std::string& path) {
    const win::UniqueFile marker(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}
}  // namespace

// Blocking reads on a handle of its own: overlapped directory reads are not dependable
// everywhere the tests run (under qemu's emulation of 32-bit Linux they break the
// process's connection to the Wine server).
FolderWatcher::FolderWatcher(const std::string& folder) : marker_(folder + kWatchMarker) {
    folder_.Reset(::CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    armed_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    stop_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_NE(folder_.Get(), INVALID_HANDLE_VALUE) << "cannot watch " << folder;
    if (!folder_.Valid()) return;
    thread_.Reset(::CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
    EXPECT_TRUE(TouchMarkerUntil(armed_.Get())) << "the watch on " << folder << " did not start";
}

FolderWatcher::~FolderWatcher() { Stop(); }

bool FolderWatcher::TouchMarkerUntil(HANDLE until) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        TouchFile(marker_);
        if (::WaitForSingleObject(until, 50) == WAIT_OBJECT_0) return true;
    }
    return false;
}

std::vector<std::string> FolderWatcher::Stop() {
    if (thread_.Valid()) {
        ::SetEvent(stop_.Get());
        // The thread wakes at the next change in the folder.
        EXPECT_TRUE(TouchMarkerUntil(thread_.Get())) << "the watching thread did not end";
        thread_.Reset();
    }
    // Released here rather than at destruction: Stop() may come well before the watcher goes.
    armed_.Reset();
    stop_.Reset();
    folder_.Reset();
    return names_;
}

DWORD WINAPI FolderWatcher::ThreadMain(void* p) {
    auto* self = static_cast<FolderWatcher*>(p);
    alignas(DWORD) char buffer[16384];
    while (::WaitForSingleObject(self->stop_.Get(), 0) != WAIT_OBJECT_0) {
        DWORD bytes = 0;
        if (!::ReadDirectoryChangesW(self->folder_.Get(), buffer, sizeof buffer, FALSE,
                                     FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE,
                                     &bytes, nullptr, nullptr))
            break;
        if (bytes == 0) continue;  // more changes than the buffer holds
        for (auto* info = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(buffer);;
             info = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(reinterpret_cast<char*>(info) + info->NextEntryOffset)) {
            std::string name = ToUtf8(std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t)));
            if (name == kWatchMarker)
                ::SetEvent(self->armed_.Get());
            else if (std::find(self->names_.begin(), self->names_.end(), name) == self->names_.end())
                self->names_.push_back(name);
            if (info->NextEntryOffset == 0) break;
        }
    }
    return 0;
}
