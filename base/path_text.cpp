#include "base/path_text.h"

#include "base/ascii.h"

void AddTrailingBackslash(std::string& folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
}

std::string WithTrailingBackslash(std::string folder) {
    AddTrailingBackslash(folder);
    return folder;
}

std::string ExtendedLengthPath(const std::string& path, size_t utf16Length) {
    if (utf16Length < kLongPathFrom) return path;
    if (path.compare(0, 4, "\\\\?\\") == 0 || path.compare(0, 4, "\\\\.\\") == 0) return path;
    const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (drive) return "\\\\?\\" + path;
    if (path.compare(0, 2, "\\\\") == 0) return "\\\\?\\UNC\\" + path.substr(2);
    return path;
}

FolderAndName SplitFolderAndName(const std::string& path) {
    const size_t separator = path.rfind('\\');
    if (separator == std::string::npos || separator + 1 == path.size()) return {};
    // The root of a drive keeps its backslash: "C:" alone is the drive's current folder.
    const size_t folderEnd = separator == 2 && path[1] == ':' ? separator + 1 : separator;
    return {path.substr(0, folderEnd), path.substr(separator + 1)};
}

bool IsEntryOf(const std::string& filePath, const std::string& folderPath, const std::string& name) {
    if (name.empty() || name.find('\\') != std::string::npos) return false;
    std::string folder = folderPath;
    AddTrailingBackslash(folder);
    if (filePath.size() != folder.size() + name.size() || filePath.compare(0, folder.size(), folder) != 0) return false;
    return LowerAscii(filePath.substr(folder.size())) == LowerAscii(name);
}
