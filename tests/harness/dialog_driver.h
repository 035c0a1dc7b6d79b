// Finds the message boxes that appear on the desktop, records what they show (through
// the wide-character calls, as UTF-8) and answers them from a script, like a user.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/win32.h"

struct SeenDialog {
    std::string caption;
    std::string text;
    std::vector<int> buttons;  // control ids: IDOK 1, IDYES 6, IDNO 7 ...
    DWORD style = 0;
    DWORD exStyle = 0;
    DWORD processId = 0;
    int answer = 0;  // the id the driver pressed
    std::string screenshot;
};

// Called on the driver's thread while a box is still open, just before it is answered.
using BoxObserver = std::function<void(HWND dialog, const SeenDialog& seen)>;

class DialogDriver {
public:
    // Answers the boxes in order with the scripted ids; a box past the script's end is
    // answered with IDNO when it has one, else with IDOK. With `screenshotFolder` set,
    // each box is saved there as a BMP first. Only boxes of `processId` count when it is
    // not 0. `observer`, when set, sees each box before it is answered.
    explicit DialogDriver(std::vector<int> answers, DWORD processId = 0, std::wstring screenshotFolder = L"",
                          BoxObserver observer = nullptr);
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    ~DialogDriver();

    void SetProcessId(DWORD processId);
    std::vector<SeenDialog> Seen() const;
    // Waits until `count` boxes have been answered or the time is out.
    bool WaitForCount(size_t count, DWORD timeoutMs) const;

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    void Handle(HWND dialog);

    std::vector<int> answers_;
    volatile LONG processId_;
    std::wstring screenshotFolder_;
    BoxObserver observer_;
    mutable CRITICAL_SECTION lock_;
    std::vector<SeenDialog> seen_;
    std::vector<HWND> handled_;
    win::UniqueHandle stop_;
    win::UniqueHandle thread_;  // after stop_, so that it is closed first
};

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
// The window's text through GetWindowTextW.
std::wstring WindowTextW(HWND window);
// Saves the window's screen area as a 24-bit BMP.
bool SaveWindowBitmap(HWND window, const std::wstring& path);
