// A stand-in for the application Tarnwick, built from what the setup relies on: it
// holds "tarnwick_memfile" while it runs, its main window has the class
// "TTarnwickMainForm", and it ends on WM_QUIT. Settings come from standin.ini beside
// it ([standin] AnnounceDelayMs, WindowDelayMs, HoldFile, LifetimeMs, IgnoreQuit,
// QuitDelayMs: how long it still runs after WM_QUIT, LogTicks: 1 appends " @" and
// GetTickCount to each line); what happened to it is appended to standin.log there,
// beginning with the program that started it ("parent explorer.exe").
// WM_CLOSE always ends it.
#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "base/win32.h"

namespace {

std::string folder;
win::UniqueHandle memory;
win::UniqueFile held;
HWND mainWindow = nullptr;
bool logTicks = false;
bool closing = false;  // WM_CLOSE ends the stand-in even when it ignores WM_QUIT

void Log(const std::string& line) {
    const win::UniqueFile f(::CreateFileA((folder + "standin.log").c_str(), FILE_APPEND_DATA,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr));
    if (!f.Valid()) return;
    std::string text = line + (logTicks ? " @" + std::to_string(::GetTickCount()) : std::string()) + "\r\n";
    DWORD written;
    ::WriteFile(f.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

int Setting(const char* key, int fallback) {
    return static_cast<int>(::GetPrivateProfileIntA("standin", key, fallback, (folder + "standin.ini").c_str()));
}

std::string SettingText(const char* key) {
    char value[MAX_PATH] = {};
    ::GetPrivateProfileStringA("standin", key, "", value, MAX_PATH, (folder + "standin.ini").c_str());
    return value;
}

// The program that started this one ("explorer.exe", "setup.exe"), by its file name.
std::string ParentName() {
    const win::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return "unknown";
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = ::Process32First(snapshot.Get(), &entry); more; more = ::Process32Next(snapshot.Get(), &entry))
        if (entry.th32ProcessID == ::GetCurrentProcessId()) parent = entry.th32ParentProcessID;
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot.Get(), &entry); more; more = ::Process32Next(snapshot.Get(), &entry))
        if (parent != 0 && entry.th32ProcessID == parent) return entry.szExeFile;
    return "unknown";
}

void Announce() {
    memory.Reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, "tarnwick_memfile"));
    Log(::GetLastError() == ERROR_ALREADY_EXISTS ? "announced (name was taken)" : "announced");
}

LRESULT CALLBACK WindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_SIZE && wp == SIZE_RESTORED) Log("restored");
    if (m == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE) Log("activated");
    if (m == WM_CLOSE) closing = true;
    if (m == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcA(w, m, wp, lp);
}

void CreateMainWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "TTarnwickMainForm";
    ::RegisterClassA(&wc);
    mainWindow = ::CreateWindowExA(0, "TTarnwickMainForm", "Tarnwick", WS_OVERLAPPEDWINDOW, 10, 10, 320, 200, nullptr,
                                   nullptr, wc.hInstance, nullptr);
    ::ShowWindow(mainWindow, SW_SHOWMINNOACTIVE);
    Log("window");
}


}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    folder = path;
    folder.erase(folder.rfind('\\') + 1);
    logTicks = Setting("LogTicks", 0) != 0;
    Log("started");
    Log("parent " + ParentName());

    const std::string hold = SettingText("HoldFile");
    if (!hold.empty()) {
        held.Reset(::CreateFileA((folder + hold).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        Log(held.Valid() ? "holding " + hold : "cannot hold " + hold);
    }

    const DWORD start = ::GetTickCount();
    const DWORD announceAt = static_cast<DWORD>(Setting("AnnounceDelayMs", 0));
    const int windowSetting = Setting("WindowDelayMs", 0);
    const DWORD lifetime = static_cast<DWORD>(Setting("LifetimeMs", 60000));
    const bool ignoreQuit = Setting("IgnoreQuit", 0) != 0;
    const DWORD quitDelay = static_cast<DWORD>(Setting("QuitDelayMs", 0));
    bool announced = Setting("Announce", 1) == 0;  // never announces when 0
    bool windowMade = windowSetting < 0;           // never makes a window when negative
    const DWORD windowAt = static_cast<DWORD>(windowSetting < 0 ? 0 : windowSetting);

    for (;;) {
        const DWORD now = ::GetTickCount() - start;
        if (!announced && now >= announceAt) {
            Announce();
            announced = true;
        }
        if (!windowMade && now >= windowAt) {
            CreateMainWindow();
            windowMade = true;
        }
        if (now >= lifetime) {
            Log("lifetime over");
            break;
        }
        MSG msg;
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT) == WAIT_OBJECT_0) {
            bool quit = false;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    Log("quit received");
                    if (!ignoreQuit || closing) quit = true;
                    continue;
                }
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            if (quit) {
                ::Sleep(quitDelay);
                break;
            }
        }
    }
    // Let go before logging "ended", so that the log never shows an end while the file
    // or the name is still held.
    held.Reset();
    memory.Reset();
    Log("ended");
    return 0;
}
