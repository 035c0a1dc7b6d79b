#include "setup/app_control.h"

#include <windows.h>
#include <shellapi.h>

#include "base/log.h"
#include "base/wide_text.h"
#include "base/win32.h"

namespace {

constexpr DWORD kAnnounceProbeMs = 512;
constexpr int kAnnounceProbes = 8;
constexpr DWORD kWindowProbeMs = 1024;
constexpr int kWindowProbes = 11;
constexpr DWORD kQuitProbeMs = 250;
constexpr DWORD kQuitWaitMs = 10000;

}  // namespace

bool IsApplicationRunning() {
    // The setup's own handle is closed at once either way: kept open, it would keep the
    // name alive after the application quits, and the started application would then
    // find its name taken.
    win::UniqueHandle mapping(
        ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, kApplicationMemoryName));
    return ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool RequestApplicationQuit() {
    // WM_QUIT goes to a main window only: posted without a target it would land in this
    // thread's own queue, and the next message box would end at once. An application
    // that has announced itself but has no window yet is asked as soon as one appears.
    HWND asked = nullptr;
    for (DWORD waited = 0;; waited += kQuitProbeMs) {
        const HWND window = ::FindWindowA(kApplicationWindowClass, nullptr);
        if (window != nullptr && window != asked && ::PostMessageA(window, WM_QUIT, 0, 0)) asked = window;
        if (!IsApplicationRunning()) return true;
        if (waited >= kQuitWaitMs) return false;
        ::Sleep(kQuitProbeMs);
    }
}

void StartApplication(const std::string& installFolder, const std::string& shortName) {
    // Neither call takes the extended-length form: from a folder that deep the start fails
    // as it fails on Windows, silently.
    ::SetCurrentDirectoryW(WideFromUtf8(installFolder).data());
    const std::string executable = installFolder + shortName + ".exe";
    runlog::Write(Text::Fixed("starting ") + Text::FromUtf8(executable));
    // A failed start is not reported to the user; the waits below simply run out.
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", WideFromUtf8(executable).data(), L"", L"", SW_SHOWNORMAL));
    if (result <= 32) runlog::SystemCallFailed("ShellExecuteW", static_cast<unsigned long>(result));
}

void StartApplicationAndBringForward(const std::string& installFolder, const std::string& shortName) {
    StartApplication(installFolder, shortName);

    int probes = 0;
    do {
        ::Sleep(kAnnounceProbeMs);
        ++probes;
        if (IsApplicationRunning()) break;
    } while (probes <= kAnnounceProbes - 1);
    // A detection on the last probe gives up too, as the application's contract allows.
    if (probes >= kAnnounceProbes) {
        runlog::Write("the application did not announce itself in time");
        return;
    }

    HWND window = nullptr;
    probes = 0;
    do {
        ::Sleep(kWindowProbeMs);
        ++probes;
        window = ::FindWindowA(kApplicationWindowClass, nullptr);
        if (window != nullptr) break;
    } while (probes <= kWindowProbes - 1);
    if (probes >= kWindowProbes) {
        runlog::Write("the application's window did not appear in time");
        return;
    }

    ::ShowWindow(window, SW_SHOWNORMAL);
    ::SetForegroundWindow(window);
    runlog::Write("the application runs, its window brought to the front");
}
