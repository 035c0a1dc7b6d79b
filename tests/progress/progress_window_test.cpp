// The progress window in this test program's own process, on the display of the test
// session. The window lives until the process ends, so one test walks it through its
// whole life, in order.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "payload/progress.h"
#include "tests/harness/harness.h"

namespace {

volatile LONG threadsStarted = 0;

// Holds the next thread the process starts at the creation of its "PlainWindow", so
// that a test can act while that window is being made.
volatile LONG holdNextThread = 0;
HANDLE windowBeingMade = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
HANDLE windowMayGoOn = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);

LRESULT CALLBACK HoldWindowCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const char* name = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->lpszClass;
        if (!IS_INTRESOURCE(name) && std::string(name) == "PlainWindow") {
            ::SetEvent(windowBeingMade);
            ::WaitForSingleObject(windowMayGoOn, 10000);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void NTAPI CountThreadStarts(PVOID, DWORD reason, PVOID) {
    if (reason != DLL_THREAD_ATTACH) return;
    ::InterlockedIncrement(&threadsStarted);
    if (::InterlockedExchange(&holdNextThread, 0) != 0)
        ::SetWindowsHookExA(WH_CBT, HoldWindowCreation, nullptr, ::GetCurrentThreadId());
}

}  // namespace

// A TLS callback hears of every thread the process starts, even one that ends at once.
extern "C" {
extern const PIMAGE_TLS_CALLBACK progressTestThreadStarts;
__attribute__((section(".CRT$XLP"), used)) const PIMAGE_TLS_CALLBACK progressTestThreadStarts = CountThreadStarts;
}

namespace {

LONG ThreadsStarted() { return ::InterlockedCompareExchange(&threadsStarted, 0, 0); }

int ThreadsOfThisProcess() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
    ::CloseHandle(snapshot);
    return count;
}

BOOL CALLBACK CollectProgressWindow(HWND window, LPARAM found) {
    char name[32] = {};
    ::GetClassNameA(window, name, sizeof name);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == ::GetCurrentProcessId() && std::string(name) == "PlainWindow")
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

// Top-level windows of class "PlainWindow" in this process, shown or not.
std::vector<HWND> ProgressWindows() {
    std::vector<HWND> found;
    ::EnumWindows(CollectProgressWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string TextOf(HWND window) {
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// The child's place in its parent's client coordinates.
RECT PlaceInParent(HWND child) {
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Waits until this process has a visible progress window showing these texts.
HWND WaitForWindowShowing(const std::string& caption, const std::string& label, DWORD timeoutMs) {
    for (DWORD waited = 0; waited <= timeoutMs; waited += 20) {
        for (HWND window : ProgressWindows()) {
            std::vector<HWND> children = Children(window);
            if (::IsWindowVisible(window) && TextOf(window) == caption && !children.empty() &&
                TextOf(children.front()) == label)
                return window;
        }
        ::Sleep(20);
    }
    return nullptr;
}

void ExpectRect(const RECT& r, int left, int top, int width, int height) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}

// Whatever fails, the window does not stay in front of the boxes of later tests.
struct HiddenAtEnd {
    ~HiddenAtEnd() { HideProgress(); }
};

}  // namespace

TEST(ProgressWindow, WholeLifeInOneProcess) {
    ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1024) << "the test session's screen is 1024 x 768";
    ASSERT_EQ(::GetSystemMetrics(SM_CYSCREEN), 768);
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    HiddenAtEnd hiddenAtEnd;

    // Hidden before it was ever shown: nothing happens, no thread, no class.
    const LONG startsBefore = ThreadsStarted();
    HideProgress();
    ::Sleep(200);
    EXPECT_TRUE(ProgressWindows().empty());
    EXPECT_EQ(ThreadsStarted(), startsBefore);
    WNDCLASSEXA probe = {};
    probe.cbSize = sizeof probe;
    EXPECT_FALSE(::GetClassInfoExA(instance, "PlainWindow", &probe));

    // The first call starts the thread; a second one while the window is being made
    // starts none, and its texts are the ones shown.
    ::InterlockedExchange(&holdNextThread, 1);
    ShowProgress("first caption", "first label");
    ASSERT_EQ(::WaitForSingleObject(windowBeingMade, 5000), WAIT_OBJECT_0);
    ShowProgress("", "");
    ::SetEvent(windowMayGoOn);
    const HWND window = WaitForWindowShowing("", "", 5000);
    ASSERT_NE(window, nullptr);
    ::Sleep(300);
    EXPECT_EQ(ThreadsStarted() - startsBefore, 1);
    ASSERT_EQ(ProgressWindows().size(), 1u);
    const DWORD windowThread = ::GetWindowThreadProcessId(window, nullptr);
    EXPECT_NE(windowThread, ::GetCurrentThreadId());

    // Centred on the 1024 x 768 screen, topmost, a dialog frame without a system menu.
    // (Windows adds WS_CAPTION to every window that is neither child nor pop-up.)
    RECT outer;
    ASSERT_TRUE(::GetWindowRect(window, &outer));
    ExpectRect(outer, 308, 346, 408, 76);
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongA(window, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & (WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_STATICEDGE),
              static_cast<DWORD>(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_STATICEDGE));
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE));
    EXPECT_TRUE(style & WS_DLGFRAME);
    EXPECT_FALSE(style & (WS_SYSMENU | WS_THICKFRAME | WS_CHILD | WS_POPUP)) << std::hex << style;

    // The label, then the empty bar.
    const std::vector<HWND> children = Children(window);
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(ClassOf(children[0]), "Static");
    ExpectRect(PlaceInParent(children[0]), 2, 2, 399, 20);
    EXPECT_EQ(ClassOf(children[1]), "msctls_progress32");
    ExpectRect(PlaceInParent(children[1]), 2, 24, 400, 20);
    EXPECT_TRUE(::GetWindowLongA(children[1], GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(::SendMessageA(children[1], PBM_GETPOS, 0, 0), 0);
    for (HWND child : children) {
        EXPECT_EQ(::GetDlgCtrlID(child), 0);
        EXPECT_TRUE(::IsWindowVisible(child));
    }

    // On the screen: the gray class background shows below the bar.
    ::UpdateWindow(window);
    ::Sleep(200);
    RECT client;
    ::GetClientRect(window, &client);
    POINT below = {200, client.bottom - 3};
    ASSERT_GT(below.y, 44);
    ::ClientToScreen(window, &below);
    HDC screen = ::GetDC(nullptr);
    EXPECT_EQ(::GetPixel(screen, below.x, below.y), RGB(128, 128, 128));
    ::ReleaseDC(nullptr, screen);

    // Shown again while up: the texts are replaced at once, on the same window and thread.
    const int threadsUp = ThreadsOfThisProcess();
    const LONG startsUp = ThreadsStarted();
    ShowProgress("Copying", "tws.pak");
    EXPECT_EQ(TextOf(window), "Copying");
    EXPECT_EQ(TextOf(children[0]), "tws.pak");
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(ThreadsOfThisProcess(), threadsUp);
    EXPECT_EQ(ThreadsStarted(), startsUp);
    EXPECT_EQ(ProgressWindows(), std::vector<HWND>{window});

    // Hidden, it keeps its place and stays topmost; shown, the same window comes back.
    HideProgress();
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_TRUE(::IsWindow(window));
    EXPECT_TRUE(::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    ShowProgress("", "");
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(TextOf(window), "");
    EXPECT_EQ(TextOf(children[0]), "");
    ASSERT_TRUE(::GetWindowRect(window, &outer));
    ExpectRect(outer, 308, 346, 408, 76);
    EXPECT_EQ(::GetWindowThreadProcessId(window, nullptr), windowThread);
    EXPECT_EQ(ProgressWindows(), std::vector<HWND>{window});
    EXPECT_EQ(ThreadsStarted(), startsUp);

    // Moved to a monitor of 144 DPI: at the place Windows suggests, in the size that
    // DPI gives, children in proportion; hidden and shown again it keeps both. Back
    // at 96 DPI every figure is the first one again.
    RECT suggested = {100, 50, 100 + 613, 50 + 115};
    ::SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    HideProgress();
    ShowProgress("", "");
    ASSERT_TRUE(::GetWindowRect(window, &outer));
    ExpectRect(outer, 100, 50, 612, 114);
    ExpectRect(PlaceInParent(children[0]), 3, 3, 599, 30);
    ExpectRect(PlaceInParent(children[1]), 3, 36, 600, 30);
    suggested = {308, 346, 308 + 408, 346 + 76};
    ::SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    ShowProgress("", "");
    ASSERT_TRUE(::GetWindowRect(window, &outer));
    ExpectRect(outer, 308, 346, 408, 76);
    ExpectRect(PlaceInParent(children[0]), 2, 2, 399, 20);
    ExpectRect(PlaceInParent(children[1]), 2, 24, 400, 20);
}
