#include "payload/folder_size.h"

#include <windows.h>

#include <vector>

#include "base/path_text.h"
#include "base/system.h"
#include "base/wide_text.h"
#include "base/win32.h"
#include "payload/size_rules.h"

namespace {

// A folder that cannot be opened for its identity is still listed: its listing may be
// readable when its attributes are not.
bool FirstVisit(FolderIdentities& listed, const std::string& folder) {
    win::UniqueFile handle(::CreateFileW(WidePath(folder).data(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle || !::GetFileInformationByHandle(handle.Get(), &info)) return true;
    return listed.FirstVisit(info.dwVolumeSerialNumber,
                             (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}

}  // namespace

int64_t FolderSizeInKilobytes(const std::string& path) {
    if (path.empty() || !IsExistingFolder(path)) return -1;

    uint64_t bytes = 0;
    std::vector<std::string> queue;
    FolderIdentities listed;
    std::string current = path;
    for (size_t index = 0;; ++index) {
        AddTrailingBackslash(current);
        WIN32_FIND_DATAW entry;
        win::UniqueFind search;
        if (FirstVisit(listed, current)) search.Reset(::FindFirstFileW(WidePath(current + "*.*").data(), &entry));
        if (search.Valid()) {
            do {
                if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                    bytes += (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
                    continue;
                }
                const std::string name = Utf8FromWide(entry.cFileName, ::lstrlenW(entry.cFileName));
                // Junctions and folder links are not entered: a link loop would never end,
                // and a linked tree would be counted twice.
                if (IsChildFolderName(name.c_str()) && (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
                    queue.push_back(current + name);
            } while (::FindNextFileW(search.Get(), &entry));
        }
        if (index >= queue.size()) break;
        current = queue[index];
    }
    return static_cast<int64_t>(bytes >> 10);
}
