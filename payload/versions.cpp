#include "payload/versions.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <vector>

#include "base/number_text.h"
#include "base/system.h"
#include "base/wide_text.h"
#include "base/win32.h"
#include "localisation/messages.h"

namespace {

win::UniqueFile OpenForProbe(const std::string& path, DWORD share) {
    if (!IsExistingFile(path)) return win::UniqueFile();
    return win::UniqueFile(
        ::CreateFileW(WidePath(path).data(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class FileSource : public ByteSource {
public:
    explicit FileSource(HANDLE file) : file_(file) {}
    bool Read(char* buffer, size_t capacity, size_t& got) override {
        DWORD read = 0;
        if (!::ReadFile(file_, buffer, static_cast<DWORD>(capacity), &read, nullptr)) return false;
        got = read;
        return true;
    }

private:
    HANDLE file_;
};

using GetFileVersionInfoSizeWFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using GetFileVersionInfoWFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
using VerQueryValueWFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

// version.dll is not a KnownDLL: found by the ordinary search, a copy planted beside
// the setup in a download folder would run elevated. It is loaded by its full path in
// System32: a bare name would also match a module of that name already loaded from
// elsewhere, since the loader looks at the loaded modules' base names first.
win::UniqueModule LoadSystemVersionDll() {
    win::UniqueModule module;
    wchar_t system[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return module;
    const std::string fullPath = Utf8FromWide(system, length) + "\\version.dll";
    module.Reset(::LoadLibraryExW(WideFromUtf8(fullPath).data(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    return module;
}

// A value that VerQueryValueW points at, checked to lie inside the version buffer:
// the resource comes from the file being probed and is not trusted.
bool InsideBuffer(const std::vector<char>& buffer, const void* value, UINT length) {
    const char* p = static_cast<const char*>(value);
    const char* end = buffer.data() + buffer.size();
    return p >= buffer.data() && p <= end && length <= static_cast<size_t>(end - p);
}

}  // namespace

int32_t ReadVersionField(HANDLE file, VersionField field) {
    if (file == INVALID_HANDLE_VALUE || ::GetFileType(file) != FILE_TYPE_DISK) return 0;
    if (::SetFilePointer(file, static_cast<LONG>(field.offset), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return 0;
    unsigned char bytes[4] = {};
    DWORD got = 0;
    if (!::ReadFile(file, bytes, field.width, &got, nullptr)) return 0;
    return DecodeVersionField(bytes, got, field);
}

LanguageVersion LanguageFileVersion(HANDLE file, const std::string& path) {
    LanguageVersion result;
    std::optional<int32_t> version;
    if (file != INVALID_HANDLE_VALUE && ::GetFileType(file) == FILE_TYPE_DISK &&
        ::SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
        FileSource source(file);
        version = ReadLanguageVersion(source);
    }
    if (version)
        result.version = *version;
    else
        result.problem = messages::CannotReadLanguageFile(path);
    return result;
}

int32_t PakVersion(const std::string& path) { return ReadVersionField(OpenForProbe(path, 0).Get(), kPakVersionField); }
int32_t CokVersion(const std::string& path) { return ReadVersionField(OpenForProbe(path, 0).Get(), kCokVersionField); }
int32_t ThreeBsVersion(const std::string& path) {
    return ReadVersionField(OpenForProbe(path, 0).Get(), kThreeBsVersionField);
}

LanguageVersion LanguageFileVersion(const std::string& path) {
    if (!IsExistingFile(path)) return LanguageVersion();
    // The file is closed before the caller shows the problem: the box waits for the user.
    return LanguageFileVersion(OpenForProbe(path, FILE_SHARE_READ).Get(), path);
}

std::string ExecutableVersionText(const std::string& path) {
    // The shell takes no extended-length form; a path that long is no executable to it.
    SHFILEINFOW info = {};
    if (::SHGetFileInfoW(WideFromUtf8(path).data(), 0, &info, sizeof info, SHGFI_EXETYPE) == 0) return std::string();

    const win::UniqueModule versionDll = LoadSystemVersionDll();
    if (!versionDll) return std::string();
    const auto getSize = win::Procedure<GetFileVersionInfoSizeWFn>(versionDll.Get(), "GetFileVersionInfoSizeW");
    const auto getInfo = win::Procedure<GetFileVersionInfoWFn>(versionDll.Get(), "GetFileVersionInfoW");
    const auto queryValue = win::Procedure<VerQueryValueWFn>(versionDll.Get(), "VerQueryValueW");
    if (!getSize || !getInfo || !queryValue) return std::string();

    const WideText widePath = WidePath(path);
    DWORD ignored = 0;
    const DWORD size = getSize(widePath.data(), &ignored);
    if (size == 0) return std::string();
    std::vector<char> buffer(size, '\0');
    if (!getInfo(widePath.data(), 0, size, buffer.data())) return std::string();

    void* translation = nullptr;
    UINT translationLength = 0;
    if (!queryValue(buffer.data(), L"\\VarFileInfo\\Translation", &translation, &translationLength) ||
        translationLength < 2 * sizeof(WORD) || !InsideBuffer(buffer, translation, translationLength))
        return std::string();
    WORD languageAndCodePage[2];
    std::memcpy(languageAndCodePage, translation, sizeof languageAndCodePage);

    const std::string subBlock = "\\StringFileInfo\\" + HexText(languageAndCodePage[0], 4, false) +
                                 HexText(languageAndCodePage[1], 4, false) + "\\FileVersion";
    void* value = nullptr;
    UINT valueLength = 0;
    if (!queryValue(buffer.data(), WideFromUtf8(subBlock).data(), &value, &valueLength) ||
        !InsideBuffer(buffer, value, 0))
        return std::string();
    const wchar_t* text = static_cast<const wchar_t*>(value);
    const size_t room = static_cast<size_t>(buffer.data() + buffer.size() - static_cast<const char*>(value)) /
                        sizeof(wchar_t);
    size_t length = 0;
    while (length < room && text[length] != L'\0') ++length;
    return Utf8FromWide(text, length);
}
