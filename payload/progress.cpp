#include "payload/progress.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <new>

#include "base/win32.h"
#include "payload/progress_rules.h"

namespace {

constexpr int kWindowWidth = 408;
constexpr int kWindowHeight = 76;
constexpr char kWindowClass[] = "PlainWindow";

// A thread object after the runtime's thread class: Execute runs on a thread of its
// own, and an object that has set freeOnTerminate is deleted when Execute ends.
class TThread {
public:
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    virtual ~TThread() = default;

    // Starts Execute at once. On false no thread runs and the object is still the
    // caller's; on true it belongs to the thread.
    bool Start() {
        // Started only here, after construction, so that the thread never meets an
        // object whose derived part is not built yet.
        win::UniqueHandle thread(::CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
        return thread.Valid();
    }

protected:
    TThread() = default;
    virtual void DoTerminate() {}
    virtual void Execute() = 0;

    bool freeOnTerminate = false;

private:
    static DWORD WINAPI ThreadMain(void* parameter) {
        auto* self = static_cast<TThread*>(parameter);
        // An error ends this thread quietly; nobody waits for it or hears from it.
        try {
            self->Execute();
        } catch (...) {
        }
        try {
            self->DoTerminate();
        } catch (...) {
        }
        if (self->freeOnTerminate) delete self;
        return 0;
    }
};

// What the caller last asked the window to show. A request made before the window is
// up waits here; the window's thread applies the latest one before it sets the flag.
struct Request {
    std::string caption;
    std::string label;
    bool shown = false;
    unsigned serial = 0;
};

struct ProgressState {
    ProgressState() { ::InitializeCriticalSection(&lock); }

    CRITICAL_SECTION lock;
    Request request;  // under lock

    // The window handle is stored before windowUp is set, and windowUp is tested
    // before a handle is used; the place is written before windowUp as well, and
    // again by the window's thread when the window moves to a monitor of another DPI.
    std::atomic<bool> started{false};
    std::atomic<bool> windowUp{false};
    std::atomic<HWND> window{nullptr};
    std::atomic<HWND> label{nullptr};
    std::atomic<int> left{0};
    std::atomic<int> top{0};
    std::atomic<int> width{kWindowWidth};
    std::atomic<int> height{kWindowHeight};

    // The window's thread only.
    std::string creationLabel;  // read in WM_CREATE
    HWND bar = nullptr;
};

// Never destroyed: at exit the window's thread may still be reading the remembered
// texts, and the window itself lives until the process ends.
ProgressState& state = *new ProgressState;

class Lock {
public:
    Lock() { ::EnterCriticalSection(&state.lock); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock() { ::LeaveCriticalSection(&state.lock); }
};

// Records the request; true when the window is up and the caller applies it itself.
bool Record(const std::string* caption, const std::string* label, bool shown) {
    Lock lock;
    if (caption != nullptr) state.request.caption = *caption;
    if (label != nullptr) state.request.label = *label;
    state.request.shown = shown;
    ++state.request.serial;
    return state.windowUp.load();
}

void PlaceWindow(UINT showOrHide) {
    ::SetWindowPos(state.window.load(), HWND_TOPMOST, state.left, state.top, state.width, state.height, showOrHide);
}

class ScreenDc {
public:
    ScreenDc() : dc_(::GetDC(nullptr)) {}
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc() {
        if (dc_ != nullptr) ::ReleaseDC(nullptr, dc_);
    }
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// The DPI the window is drawn at. GetDpiForWindow came with Windows 10 1607 and is
// looked up, so that the setup still starts on Windows 7; before it every window of a
// process gets the system DPI, which the screen's device context reports.
int DpiOf(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    const auto forWindow = win::Procedure<DpiForWindow>(::GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    const int dpi = forWindow != nullptr ? static_cast<int>(forWindow(window)) : 0;
    if (dpi > 0) return dpi;
    const ScreenDc screen;
    return screen.Get() != nullptr ? ::GetDeviceCaps(screen.Get(), LOGPIXELSX) : 96;
}

// Windows stretches the pixels of a window whose process declares no DPI awareness;
// this one declares it, so it scales its own geometry, the window with its top-left
// corner at (left, top).
void ApplyLayout(HWND window, int dpi, int left, int top) {
    const ProgressLayout layout = ProgressLayoutAt(dpi);
    state.left.store(left);
    state.top.store(top);
    state.width.store(layout.width);
    state.height.store(layout.height);
    const auto place = [](HWND handle, const Box& box) {
        ::SetWindowPos(handle, nullptr, box.left, box.top, box.width, box.height, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(window, {left, top, layout.width, layout.height});
    place(state.label.load(), layout.label);
    place(state.bar, layout.bar);
}

// Exceptions cannot unwind through user32's frames: nothing here may throw.
LRESULT CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        const HINSTANCE instance = ::GetModuleHandleA(nullptr);
        state.label.store(::CreateWindowExA(0, "STATIC", state.creationLabel.c_str(), WS_CHILD | WS_VISIBLE, 2, 2,
                                            399, 20, window, nullptr, instance, nullptr));
        state.bar = ::CreateWindowExA(0, "msctls_progress32", "", WS_CHILD | WS_VISIBLE | WS_THICKFRAME, 2, 24, 400,
                                      20, window, nullptr, instance, nullptr);
        return 0;
    }
    case WM_DPICHANGED: {
        // Moved to a monitor of another DPI: Windows suggests the place, the size
        // follows the new DPI.
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        ApplyLayout(window, HIWORD(wParam), suggested->left, suggested->top);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

void RunProgressWindow() {
    // Unless the window comes up, a later ShowProgress may try again.
    win::ScopeExit backToNotStarted([] {
        if (!state.windowUp.load()) state.started.store(false);
    });

    state.left = HalfRoundedDown(::GetSystemMetrics(SM_CXSCREEN) - kWindowWidth);
    state.top = HalfRoundedDown(::GetSystemMetrics(SM_CYSCREEN) - kWindowHeight);
    ::InitCommonControls();

    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_NOCLOSE;
    windowClass.lpfnWndProc = ProgressWindowProc;
    windowClass.cbClsExtra = 4;
    windowClass.cbWndExtra = 4;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconA(instance, nullptr);
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = kWindowClass;
    if (::RegisterClassExA(&windowClass) == 0) return;

    Request applied;
    {
        Lock lock;
        applied = state.request;
    }
    state.creationLabel = applied.label;
    const HWND window = ::CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_STATICEDGE, kWindowClass,
                                          applied.caption.c_str(), WS_DLGFRAME, state.left, state.top, kWindowWidth,
                                          kWindowHeight, nullptr, nullptr, instance, nullptr);
    // Made at the 96-DPI size and centred again at the DPI of the monitor it is on.
    const int dpi = window != nullptr ? DpiOf(window) : 96;
    if (dpi != 96) {
        const ProgressLayout layout = ProgressLayoutAt(dpi);
        ApplyLayout(window, dpi, HalfRoundedDown(::GetSystemMetrics(SM_CXSCREEN) - layout.width),
                    HalfRoundedDown(::GetSystemMetrics(SM_CYSCREEN) - layout.height));
    }
    state.window.store(window);
    if (window != nullptr && applied.shown) ::ShowWindow(window, SW_SHOWNORMAL);

    // Requests that came while the window was being made are applied here; once the
    // flag is set, the caller acts on the window itself.
    for (;;) {
        {
            Lock lock;
            if (state.request.serial == applied.serial) {
                state.windowUp.store(true);
                break;
            }
            applied = state.request;
        }
        if (window == nullptr) continue;
        ::SetWindowTextA(window, applied.caption.c_str());
        ::SetWindowTextA(state.label.load(), applied.label.c_str());
        PlaceWindow(applied.shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    }

    MSG message;
    // GetMessage gives -1 on failure; looping on it would spin for ever.
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

class TSetupForm : public TThread {
protected:
    void Execute() override {
        freeOnTerminate = true;
        RunProgressWindow();
    }
};

void StartProgressThread() {
    std::unique_ptr<TSetupForm> form(new (std::nothrow) TSetupForm);
    if (form && form->Start()) {
        form.release();
        return;
    }
    state.started.store(false);
}

}  // namespace

void ShowProgress(const std::string& caption, const std::string& labelText) {
    if (!Record(&caption, &labelText, true)) {
        // Only the first call starts the thread: a second one would race the first for
        // the remembered texts, and registering "PlainWindow" again fails.
        if (!state.started.exchange(true)) StartProgressThread();
        return;
    }
    SetProgressCaption(caption);
    SetProgressLabel(labelText);
    PlaceWindow(SWP_SHOWWINDOW);
}

void HideProgress() {
    if (Record(nullptr, nullptr, false)) PlaceWindow(SWP_HIDEWINDOW);
}

void SetProgressCaption(const std::string& text) {
    if (state.windowUp.load()) ::SetWindowTextA(state.window.load(), text.c_str());
}

void SetProgressLabel(const std::string& text) {
    if (state.windowUp.load()) ::SetWindowTextA(state.label.load(), text.c_str());
}
