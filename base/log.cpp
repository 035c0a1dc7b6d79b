#include "base/log.h"

#include <windows.h>

#include "base/log_text.h"
#include "base/wide_text.h"
#include "base/win32.h"

namespace runlog {
namespace {

win::UniqueFile file;

std::string SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) return std::string();
    const std::string text = Utf8FromWide(buffer, length);
    ::LocalFree(buffer);
    return text;
}

}  // namespace

void Open(const std::string& utf8Path) {
    if (utf8Path.empty()) return;
    // Appends only, so that runs that share a log never write over each other; others
    // may read it meanwhile.
    file.Reset(::CreateFileW(WidePath(utf8Path).data(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    // A pipe, a console or a serial port named as the log could block a write for as
    // long as nobody reads it; only a disk file is kept.
    if (file.Valid() && ::GetFileType(file.Get()) != FILE_TYPE_DISK) file.Reset();
}

void Close() { file.Reset(); }

void Write(const Text& line) {
    if (!file.Valid()) return;
    const DWORD error = ::GetLastError();  // a caller may still want the error of its own call
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const std::string text = LogTimeText({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                                          now.wMilliseconds}) +
                             " " + OneLine(ToUtf8(line)) + "\r\n";
    DWORD written = 0;
    ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::SetLastError(error);
}

void SystemCallFailed(const char* call, unsigned long error, const Text& subject) {
    if (!file.Valid()) return;
    Text line = Text::Fixed(call) + " failed";
    if (!subject.Empty()) line = line + " for " + subject;
    Write(line + ": " + Text::FromUtf8(ErrorText(error, SystemErrorText(error))));
}

}  // namespace runlog
