#include "setup/app_control.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

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

namespace {

// A BSTR for the call, freed at scope end.
class Bstr {
public:
    explicit Bstr(const std::string& utf8) : text_(::SysAllocString(WideFromUtf8(utf8).data())) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { ::SysFreeString(text_); }
    BSTR Get() const { return text_; }
    VARIANT Variant() const {
        VARIANT v{};
        v.vt = VT_BSTR;
        v.bstrVal = text_;
        return v;
    }

private:
    BSTR text_;
};

// Starts the program through the desktop shell, so that it runs with the rights of the
// user at the desktop: the setup is elevated, and a program it started itself would
// inherit its administrator token (files saved by the administrators, drag and drop from
// Explorer refused, and a Tarnwick.exe planted in a folder users may write to would run
// elevated). The shell's own window answers for the desktop; its view's dispatch
// object executes the program as Explorer would. False where no desktop shell answers.
bool StartThroughDesktopShell(const std::string& program, const std::string& folder) {
    const HRESULT initialised = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    win::ScopeExit uninitialise([initialised] {
        if (SUCCEEDED(initialised)) ::CoUninitialize();
    });
    win::ComPtr<IShellWindows> windows;
    if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                  windows.PutVoid())))
        return false;
    VARIANT none{};
    long window = 0;
    win::ComPtr<IDispatch> desktop;
    if (windows->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.Put()) != S_OK ||
        !desktop)
        return false;
    win::ComPtr<IServiceProvider> provider;
    win::ComPtr<IShellBrowser> browser;
    win::ComPtr<IShellView> view;
    win::ComPtr<IDispatch> background;
    win::ComPtr<IShellFolderViewDual> folderView;
    win::ComPtr<IDispatch> application;
    win::ComPtr<IShellDispatch2> shell;
    if (FAILED(desktop->QueryInterface(IID_IServiceProvider, provider.PutVoid())) ||
        FAILED(provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.PutVoid())) ||
        FAILED(browser->QueryActiveShellView(view.Put())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.PutVoid())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.PutVoid())) ||
        FAILED(folderView->get_Application(application.Put())) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.PutVoid())))
        return false;
    const Bstr file(program), parameters(""), directory(folder), verb("open");
    VARIANT show{};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return SUCCEEDED(shell->ShellExecute(file.Get(), parameters.Variant(), directory.Variant(), verb.Variant(), show));
}

}  // namespace

void StartApplication(const std::string& installFolder, const std::string& shortName) {
    const std::string executable = installFolder + shortName + ".exe";
    runlog::Write(Text::Fixed("starting ") + Text::FromUtf8(executable));
    if (StartThroughDesktopShell(executable, installFolder)) {
        runlog::Write("started through the desktop shell, with the rights of the user at the desktop");
        return;
    }
    runlog::Write("no desktop shell answered: started with the setup's own rights");
    // Neither call takes the extended-length form: from a folder that deep the start fails
    // as it fails on Windows, silently.
    ::SetCurrentDirectoryW(WideFromUtf8(installFolder).data());
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
