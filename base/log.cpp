#include "base/log.h"

#include <windows.h>

#include "base/files.h"
#include "base/log_text.h"
#include "base/path_text.h"
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
    // The log may be named relative to the current folder; its folder is looked at below.
    const WideText named = WidePath(utf8Path);
    WideText full(32768);
    const DWORD length = ::GetFullPathNameW(named.data(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) return;
    const std::string path = Utf8FromWide(full.data(), length);
    const FolderAndName where = SplitFolderAndName(path);
    const files::Folder folder(where.folder);
    if (!folder.Valid()) return;
    // Appends only, so that runs that share a log never write over each other; others
    // may read it meanwhile. An existing log is opened as it is; a new one is created
    // new, so that a dangling link under its name makes no file where it leads.
    const WideText wide = WidePath(path);
    // Not the log's own handle until it has passed the checks, so that nothing is
    // written to it before.
    win::UniqueFile opened(::CreateFileW(wide.data(), FILE_APPEND_DATA,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    bool created = false;
    if (!opened && ::GetLastError() == ERROR_FILE_NOT_FOUND) {
        opened.Reset(::CreateFileW(wide.data(), FILE_APPEND_DATA | DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        created = opened.Valid();
    }
    if (!opened) return;
    // A pipe, a console or a serial port named as the log could block a write for as
    // long as nobody reads it; only a disk file is kept, and only the folder's own entry:
    // the elevated setup never appends to a file that a link under the log's name leads to.
    if (::GetFileType(opened.Get()) == FILE_TYPE_DISK && folder.Holds(opened.Get(), where.name)) {
        file = std::move(opened);
        return;
    }
    if (created) files::DeleteByHandle(opened.Get());
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
    const DWORD lastError = ::GetLastError();
    Text line = Text::Fixed(call) + " failed";
    if (!subject.Empty()) line = line + " for " + subject;
    Write(line + ": " + Text::FromUtf8(ErrorText(error, SystemErrorText(error))));
    ::SetLastError(lastError);
}

}  // namespace runlog
