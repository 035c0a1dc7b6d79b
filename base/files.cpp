#include "base/files.h"

#include <algorithm>
#include <vector>

#include "base/log.h"
#include "base/path_text.h"
#include "base/wide_text.h"

namespace files {
namespace {

// Both are Vista's; looked up, so that the program still starts on XP.
using GetFinalPathFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
using GetInformationExFn = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
using SetInformationFn = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// The path of the handle's file from its volume's root. Wine 8 refuses
// GetFinalPathNameByHandleW beyond MAX_PATH (error 234, whatever the buffer), while the
// file name information still answers there and names the same path.
std::optional<std::string> PathOnVolume(HANDLE handle) {
    static const auto finalPath = win::KernelProcedure<GetFinalPathFn>("GetFinalPathNameByHandleW");
    WideText buffer(MAX_PATH);
    if (finalPath) {
        const DWORD length = finalPath(handle, buffer.data(), static_cast<DWORD>(buffer.size()), VOLUME_NAME_NONE);
        if (length > 0 && length < buffer.size()) return Utf8FromWide(buffer.data(), length);
    }
    static const auto information = win::KernelProcedure<GetInformationExFn>("GetFileInformationByHandleEx");
    if (!information) return std::nullopt;
    std::vector<char> name(sizeof(FILE_NAME_INFO) + 32768 * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_NAME_INFO*>(name.data());
    if (!information(handle, FileNameInfo, info, static_cast<DWORD>(name.size()))) return std::nullopt;
    return Utf8FromWide(info->FileName, info->FileNameLength / sizeof(wchar_t));
}

}  // namespace

std::optional<Location> LocationOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info)) return std::nullopt;
    std::optional<std::string> path = PathOnVolume(handle);
    if (!path) return std::nullopt;
    return Location{info.dwVolumeSerialNumber, std::move(*path), info.nNumberOfLinks};
}

Folder::Folder(const std::string& path) : path_(WithTrailingBackslash(path)) {
    // Listing and traversal only; not shared for deletion, so that nobody renames the
    // folder away while it is held.
    handle_.Reset(::CreateFileW(WidePath(path_).data(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr));
    if (!handle_) {
        runlog::SystemCallFailed("CreateFileW", ::GetLastError(), Text::FromUtf8(path_));
        return;
    }
    location_ = LocationOf(handle_.Get());
}

bool Folder::Holds(HANDLE file, const std::string& name) const {
    const std::optional<Location> at = LocationOf(file);
    if (!location_ || !at) return !win::KernelProcedure<GetInformationExFn>("GetFileInformationByHandleEx");
    if (at->volume == location_->volume && at->links == 1 && IsEntryOf(at->path, location_->path, name)) return true;
    runlog::Write(Text::FromUtf8(path_ + name) + " leads to " + Text::FromUtf8(at->path) + ", " +
                  std::to_string(at->links) + " name(s); not the own entry of " + Text::FromUtf8(location_->path));
    return false;
}

bool ActsByHandle() { return win::KernelProcedure<SetInformationFn>("SetFileInformationByHandle") != nullptr; }

bool RenameByHandle(HANDLE file, const std::string& target, bool replace) {
    const auto set = win::KernelProcedure<SetInformationFn>("SetFileInformationByHandle");
    if (!set) return false;
    const WideText name = WidePath(target);
    const size_t nameBytes = (name.size() - 1) * sizeof(wchar_t);
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    // Windows takes a full path here and no root folder (Wine refuses one, error 87).
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::copy(name.begin(), name.end(), info->FileName);
    if (!set(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size()))) {
        runlog::SystemCallFailed("SetFileInformationByHandle(FileRenameInfo)", ::GetLastError(),
                                 Text::FromUtf8(target));
        return false;
    }
    // What MOVEFILE_WRITE_THROUGH does after its rename: the new name is on the disk
    // before the rename counts as done.
    if (!::FlushFileBuffers(file)) {
        runlog::SystemCallFailed("FlushFileBuffers", ::GetLastError(), Text::FromUtf8(target));
        return false;
    }
    return true;
}

bool DeleteByHandle(HANDLE file) {
    const auto set = win::KernelProcedure<SetInformationFn>("SetFileInformationByHandle");
    FILE_DISPOSITION_INFO disposition{TRUE};
    return set && set(file, FileDispositionInfo, &disposition, sizeof disposition);
}

}  // namespace files
