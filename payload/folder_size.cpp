#include "payload/folder_size.h"

#include <windows.h>

#include <new>
#include <utility>

#include "base/path_text.h"
#include "base/system.h"
#include "base/wide_text.h"
#include "payload/size_rules.h"

struct FolderSizeBeside::Walk {
    std::string folder;
    std::vector<std::string> setAside;  // top-level file names left out
    uint64_t bytes = 0;
    bool found = false;  // the folder exists
    bool done = false;   // the walk ran to its end
};

namespace {

using Walk = FolderSizeBeside::Walk;

// Entries per batch: under Wine each batch is one server request, so a large buffer
// reads a folder of a few hundred entries at once.
constexpr DWORD kListingBytes = 64 * 1024;

class Tree {
public:
    Tree(Walk& walk) : walk_(walk), buffer_(kListingBytes / sizeof(LONGLONG)) {}

    void Run() {
        std::string current = walk_.folder;
        for (size_t index = 0;; ++index) {
            AddTrailingBackslash(current);
            List(current, index == 0);
            if (index >= queue_.size()) break;
            current = queue_[index];
        }
    }

private:
    void Count(const std::string& folder, bool top, const wchar_t* name, size_t length, DWORD attributes,
               uint64_t size) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            if (!top || walk_.setAside.empty() || !IsSetAsideName(Utf8FromWide(name, length), walk_.setAside))
                walk_.bytes += size;
            return;
        }
        // Junctions and folder links are not entered: a link loop would never end, and
        // a linked tree would be counted twice.
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return;
        std::string child = Utf8FromWide(name, length);
        if (IsChildFolderName(child.c_str())) queue_.push_back(folder + child);
    }

    // One listing per folder through the one handle it needs. Its "." entry carries
    // the folder's own file id: the loop guard needs no second open (under Wine a
    // second CreateFileW and GetFileInformationByHandle per folder cost more than the
    // listing itself). Where the file system knows no file ids, FindFirstFileW lists
    // the folder instead.
    void List(const std::string& folder, bool top) {
        win::UniqueFile handle(::CreateFileW(WidePath(folder).data(), FILE_LIST_DIRECTORY,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!handle) return;
        if (!listDirectory_) return ListByName(folder, top);
        const uint64_t bytesBefore = walk_.bytes;
        const size_t queuedBefore = queue_.size();
        for (bool first = true;; first = false) {
            if (!listDirectory_(handle.Get(), FileIdBothDirectoryInfo, buffer_.data(), kListingBytes)) {
                if (first && ::GetLastError() != ERROR_NO_MORE_FILES) ListByName(folder, top);
                return;
            }
            for (const auto* at = reinterpret_cast<const unsigned char*>(buffer_.data());;) {
                const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
                const size_t length = entry->FileNameLength / sizeof(wchar_t);
                // Every folder a walk enters lies on the start folder's volume (it
                // crosses no reparse point), so the file id alone names it.
                if (length == 1 && entry->FileName[0] == L'.' &&
                    !listed_.FirstVisit(0, static_cast<uint64_t>(entry->FileId.QuadPart))) {
                    walk_.bytes = bytesBefore;
                    while (queue_.size() > queuedBefore) queue_.pop_back();
                    return;
                }
                Count(folder, top, entry->FileName, length, entry->FileAttributes,
                      static_cast<uint64_t>(entry->EndOfFile.QuadPart));
                if (entry->NextEntryOffset == 0) break;
                at += entry->NextEntryOffset;
            }
        }
    }

    void ListByName(const std::string& folder, bool top) {
        WIN32_FIND_DATAW entry;
        win::UniqueFind search(::FindFirstFileW(WidePath(folder + "*.*").data(), &entry));
        if (!search) return;
        do {
            Count(folder, top, entry.cFileName, ::lstrlenW(entry.cFileName), entry.dwFileAttributes,
                  (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow);
        } while (::FindNextFileW(search.Get(), &entry));
    }

    Walk& walk_;
    // Vista's call, looked up so that the program still starts on XP, where every folder
    // is listed by name.
    using ListDirectoryFn = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
    const ListDirectoryFn listDirectory_ = win::KernelProcedure<ListDirectoryFn>("GetFileInformationByHandleEx");
    std::vector<LONGLONG> buffer_;  // FILE_ID_BOTH_DIR_INFO entries are 8-byte aligned
    std::vector<std::string> queue_;
    FolderIdentities listed_;
};

void RunWalk(Walk& walk) {
    walk.bytes = 0;
    walk.found = !walk.folder.empty() && IsExistingFolder(walk.folder);
    if (walk.found) Tree(walk).Run();
    walk.done = true;
}

// The size of a set-aside file as it is now, from its directory entry: no file is
// opened. A folder of that name was walked like any other.
uint64_t SetAsideBytes(const std::string& folder, const std::string& name) {
    WIN32_FIND_DATAW entry;
    win::UniqueFind search(::FindFirstFileW(WidePath(folder + name).data(), &entry));
    if (!search || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return 0;
    return (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
}

// Shows no box, reads no registry, and lets nothing escape: a walk that fails here is
// run again by Kilobytes on the caller's thread.
DWORD WINAPI WalkOnItsThread(void* parameter) {
    auto* walk = static_cast<Walk*>(parameter);
    try {
        RunWalk(*walk);
    } catch (...) {
        walk->done = false;
    }
    return 0;
}

}  // namespace

int64_t FolderSizeInKilobytes(const std::string& path) {
    Walk walk;
    walk.folder = path;
    RunWalk(walk);
    return walk.found ? static_cast<int64_t>(walk.bytes >> 10) : -1;
}

FolderSizeBeside::FolderSizeBeside(const std::string& folder, std::vector<std::string> setAside)
    : walk_(new Walk{folder, std::move(setAside)}) {
    thread_.Reset(::CreateThread(nullptr, 0, WalkOnItsThread, walk_.get(), 0, nullptr));
}

FolderSizeBeside::~FolderSizeBeside() {
    if (thread_) ::WaitForSingleObject(thread_.Get(), INFINITE);
}

int64_t FolderSizeBeside::Kilobytes() {
    if (thread_) ::WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
    if (!walk_->done) RunWalk(*walk_);
    if (!walk_->found) return -1;
    std::string folder = walk_->folder;
    AddTrailingBackslash(folder);
    uint64_t bytes = walk_->bytes;
    for (const std::string& name : walk_->setAside) bytes += SetAsideBytes(folder, name);
    return static_cast<int64_t>(bytes >> 10);
}
