#include "setup/paths.h"

void AddTrailingBackslash(std::string& folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
}

std::string WithTrailingBackslash(std::string folder) {
    AddTrailingBackslash(folder);
    return folder;
}

std::optional<std::string> FolderFromUninstallString(const std::string& value) {
    std::string path = value;
    if (!path.empty() && path[0] == '"') {
        const size_t closing = path.find('"', 1);
        path = path.substr(1, closing == std::string::npos ? std::string::npos : closing - 1);
    }
    // The final character is never taken as the separator.
    if (path.size() < 2) return std::nullopt;
    const size_t separator = path.rfind('\\', path.size() - 2);
    if (separator == std::string::npos) return std::nullopt;
    return path.substr(0, separator + 1);
}

std::string Wow6432Path(const std::string& path) {
    const size_t first = path.find('\\');
    if (first == std::string::npos) return path;
    return path.substr(0, first + 1) + "WOW6432Node\\" + path.substr(first + 1);
}
