// The size of an installed folder tree, as the list of installed programs shows it.
#pragma once

#include <cstdint>
#include <string>

// Kilobytes of all files below path, breadth-first; -1 for an empty path or one that
// names no folder.
int64_t FolderSizeInKilobytes(const std::string& path);
