// The size of an installed folder tree, as the list of installed programs shows it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/win32.h"

// Kilobytes of all files below path, breadth-first; -1 for an empty path or one that
// names no folder.
int64_t FolderSizeInKilobytes(const std::string& path);

// FolderSizeInKilobytes of a folder whose files `setAside` (names in the folder itself,
// not below it) are being written meanwhile: the rest of the tree is walked on a thread
// of its own from construction on, and those files count as they are when Kilobytes is
// called. A thread that cannot be started leaves the whole walk to Kilobytes.
class FolderSizeBeside {
public:
    FolderSizeBeside(const std::string& folder, std::vector<std::string> setAside);
    FolderSizeBeside(const FolderSizeBeside&) = delete;
    FolderSizeBeside& operator=(const FolderSizeBeside&) = delete;
    // Waits for the walk: it uses the object.
    ~FolderSizeBeside();

    // Waits for the walk and gives its figure. May throw what the walk on the calling
    // thread throws (std::bad_alloc); the walk's own thread throws nothing.
    int64_t Kilobytes();

    struct Walk;

private:
    std::unique_ptr<Walk> walk_;
    win::UniqueHandle thread_;
};
