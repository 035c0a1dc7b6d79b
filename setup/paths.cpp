#include "setup/paths.h"

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
    std::string folder = path.substr(0, separator + 1);
    if (!IsLocalAbsoluteFolder(folder)) return std::nullopt;
    return folder;
}

bool IsLocalAbsoluteFolder(const std::string& folder) {
    // "X:\" and nothing relative: the setup runs elevated from wherever it was started,
    // so a relative folder would be resolved against that place, a network path could
    // stall the run for the redirector's timeouts, and "." or ".." components would
    // lead out of the folder the entry seems to name.
    const unsigned char drive = folder.empty() ? 0 : static_cast<unsigned char>(folder[0]);
    const bool letter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
    if (folder.size() < 3 || !letter || folder[1] != ':' || folder[2] != '\\') return false;
    size_t start = 3;
    while (start < folder.size()) {
        size_t end = folder.find('\\', start);
        if (end == std::string::npos) end = folder.size();
        const std::string part = folder.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

std::string Wow6432Path(const std::string& path) {
    const size_t first = path.find('\\');
    if (first == std::string::npos) return path;
    return path.substr(0, first + 1) + "WOW6432Node\\" + path.substr(first + 1);
}

std::string InstanceGuardLocalName(const std::string& baseName) { return "TarnwickSetup." + baseName; }

std::string InstanceGuardName(const std::string& baseName) { return "Global\\" + InstanceGuardLocalName(baseName); }
