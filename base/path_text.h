// Folder and path texts. Paths are UTF-8 from where they are read to where they are
// used, so that a folder named in any script survives whatever the ANSI code page.
#pragma once

#include <cstddef>
#include <string>

// Appends "\" to a text that is not empty and does not end with one.
void AddTrailingBackslash(std::string& folder);
std::string WithTrailingBackslash(std::string folder);

// The form of an absolute path that the wide file calls take beyond their length
// limit: "\\?\C:\..." for a drive path, "\\?\UNC\server\share\..." for a network
// path, when the path has `utf16Length` or more UTF-16 units than a folder call takes
// (MAX_PATH less the 12 that CreateDirectory keeps for an 8.3 name). Shorter paths,
// relative ones and those already in that form stay as they are.
std::string ExtendedLengthPath(const std::string& path, size_t utf16Length);
constexpr size_t kLongPathFrom = 260 - 12;

// The path of a folder and the file name in it, split at the last backslash: "C:\a\b.log"
// gives "C:\a" and "b.log", "C:\b.log" gives "C:\" and "b.log". A path without a
// backslash, or one that ends with one, names no file in a folder: both parts empty.
struct FolderAndName {
    std::string folder;
    std::string name;
};
FolderAndName SplitFolderAndName(const std::string& path);

// True when `filePath`, where the file system says an open file lies (a path from its
// volume's root, as a handle's file name reads, every link and junction already
// followed), is the entry `name` directly inside the folder that lies at `folderPath`.
// The folder part is taken as the file system wrote it; the name is compared without
// regard to the case of the ASCII letters, as the file system matches names.
bool IsEntryOf(const std::string& filePath, const std::string& folderPath, const std::string& name);
