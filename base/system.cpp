#include "base/system.h"

#include <windows.h>

#include <vector>

#include "base/wide_text.h"

namespace {
DWORD Attributes(const std::string& path) { return ::GetFileAttributesW(WidePath(path).data()); }
}  // namespace

bool IsExistingFile(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsExistingFolder(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string EnvironmentVariable(const char* name) {
    const WideText wideName = WideFromUtf8(name);
    WideText buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetEnvironmentVariableW(wideName.data(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size()) return Utf8FromWide(buffer.data(), length);
        // Too small: the call gave the size it needs, NUL included. The variable may grow
        // meanwhile, so ask again.
        buffer.resize(length + 1);
    }
}

std::string OwnPathUtf8() {
    // A path longer than the buffer is cut to its size; the buffer grows until it fits.
    WideText path(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) return Utf8FromWide(path.data(), length);
        if (path.size() >= 32768) return std::string();
        path.resize(path.size() * 2);
    }
}

std::string CommandLineUtf8() {
    const wchar_t* line = ::GetCommandLineW();
    return Utf8FromWide(line, ::lstrlenW(line));
}
