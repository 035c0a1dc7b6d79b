#include "base/path_text.h"

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
