#include "tests/harness/dialog_driver.h"

#include <algorithm>

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

std::wstring WindowTextW(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    length = ::GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return text;
}

bool SaveWindowBitmap(HWND window, const std::wstring& path) {
    RECT r;
    if (!::GetWindowRect(window, &r)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    bool ok = false;
    if (const win::UniqueFile out{::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)}) {
        DWORD written;
        ok = ::WriteFile(out.Get(), &file, sizeof file, &written, nullptr) &&
             ::WriteFile(out.Get(), &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
             ::WriteFile(out.Get(), bits, imageSize, &written, nullptr);
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

namespace {
BOOL CALLBACK CollectDialog(HWND w, LPARAM p) {
    wchar_t cls[16] = {};
    ::GetClassNameW(w, cls, 16);
    if (wcscmp(cls, L"#32770") == 0 && ::IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
    return TRUE;
}
}  // namespace

DialogDriver::DialogDriver(std::vector<int> answers, DWORD processId, std::wstring screenshotFolder,
                           BoxObserver observer)
    : answers_(std::move(answers)), processId_(static_cast<LONG>(processId)),
      screenshotFolder_(std::move(screenshotFolder)), observer_(std::move(observer)) {
    ::InitializeCriticalSection(&lock_);
    stop_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.Reset(::CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
}

DialogDriver::~DialogDriver() {
    ::SetEvent(stop_.Get());
    ::WaitForSingleObject(thread_.Get(), INFINITE);
    ::DeleteCriticalSection(&lock_);
}

void DialogDriver::SetProcessId(DWORD processId) { ::InterlockedExchange(&processId_, static_cast<LONG>(processId)); }

std::vector<SeenDialog> DialogDriver::Seen() const {
    ::EnterCriticalSection(&lock_);
    std::vector<SeenDialog> copy = seen_;
    ::LeaveCriticalSection(&lock_);
    return copy;
}

bool DialogDriver::WaitForCount(size_t count, DWORD timeoutMs) const {
    for (DWORD waited = 0;; waited += 20) {
        if (Seen().size() >= count) return true;
        if (waited >= timeoutMs) return false;
        ::Sleep(20);
    }
}

DWORD WINAPI DialogDriver::ThreadMain(void* self) {
    static_cast<DialogDriver*>(self)->Run();
    return 0;
}

void DialogDriver::Run() {
    while (::WaitForSingleObject(stop_.Get(), 15) == WAIT_TIMEOUT) {
        std::vector<HWND> dialogs;
        ::EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
        // Forget boxes that are gone, so that a reused handle counts as a new box.
        handled_.erase(std::remove_if(handled_.begin(), handled_.end(), [](HWND w) { return !::IsWindow(w); }),
                       handled_.end());
        for (HWND dialog : dialogs) {
            if (std::find(handled_.begin(), handled_.end(), dialog) != handled_.end()) continue;
            DWORD pid = 0;
            ::GetWindowThreadProcessId(dialog, &pid);
            const DWORD wanted = static_cast<DWORD>(processId_);
            if (wanted != 0 && pid != wanted) continue;
            Handle(dialog);
        }
    }
}

void DialogDriver::Handle(HWND dialog) {
    handled_.push_back(dialog);
    // Let the box finish painting before it is read or photographed.
    ::Sleep(screenshotFolder_.empty() ? 30 : 300);
    SeenDialog seen;
    seen.caption = ToUtf8(WindowTextW(dialog));
    if (HWND text = ::GetDlgItem(dialog, 0xFFFF)) seen.text = ToUtf8(WindowTextW(text));
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
        HWND button = ::GetDlgItem(dialog, id);
        if (button != nullptr && ::IsWindowVisible(button)) seen.buttons.push_back(id);
    }
    seen.style = static_cast<DWORD>(::GetWindowLongW(dialog, GWL_STYLE));
    seen.exStyle = static_cast<DWORD>(::GetWindowLongW(dialog, GWL_EXSTYLE));
    ::GetWindowThreadProcessId(dialog, &seen.processId);

    size_t index;
    ::EnterCriticalSection(&lock_);
    index = seen_.size();
    ::LeaveCriticalSection(&lock_);
    if (!screenshotFolder_.empty()) {
        std::wstring path = screenshotFolder_ + L"\\dialog-" + std::to_wstring(index + 1) + L".bmp";
        if (SaveWindowBitmap(dialog, path)) seen.screenshot = ToUtf8(path);
    }
    int answer;
    if (index < answers_.size())
        answer = answers_[index];
    else
        answer = std::find(seen.buttons.begin(), seen.buttons.end(), IDNO) != seen.buttons.end() ? IDNO : IDOK;
    seen.answer = answer;
    if (observer_) observer_(dialog, seen);
    ::EnterCriticalSection(&lock_);
    seen_.push_back(seen);
    ::LeaveCriticalSection(&lock_);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
}
