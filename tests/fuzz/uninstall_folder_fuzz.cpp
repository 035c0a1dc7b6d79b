// The install folder taken from a value that whatever installed the application wrote
// into its uninstall entry: only a local absolute folder may come out of it, since the
// setup writes there elevated. Also the trailing backslash that discovery gives folders.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/path_text.h"
#include "setup/paths.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// "X:\" followed by parts, none of them empty, "." or "..": every part of a text that
// ends with a backslash stands between two backslashes.
bool LocalAbsolute(std::string folder) {
    if (folder.size() < 3 || folder[1] != ':' || folder[2] != '\\') return false;
    const char drive = folder[0];
    if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z'))) return false;
    if (folder.back() != '\\') folder += '\\';
    for (const char* part : {"\\\\", "\\.\\", "\\..\\"})
        if (folder.find(part, 2) != std::string::npos) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string value(reinterpret_cast<const char*>(data), size);

    // The path part: what follows an opening quote up to the closing one, else the whole value.
    std::string path = value;
    if (!value.empty() && value[0] == '"') {
        const size_t closing = value.find('"', 1);
        path = closing == std::string::npos ? value.substr(1) : value.substr(1, closing - 1);
    }
    // A separator counts only before the path's final character.
    size_t lastSeparator = std::string::npos;
    for (size_t i = 0; i + 1 < path.size(); ++i)
        if (path[i] == '\\') lastSeparator = i;

    const std::optional<std::string> folder = FolderFromUninstallString(value);
    FUZZ_CHECK(folder.has_value() ==
               (lastSeparator != std::string::npos && LocalAbsolute(path.substr(0, lastSeparator + 1))));
    if (folder) {
        FUZZ_CHECK(folder->size() == lastSeparator + 1);
        FUZZ_CHECK(path.compare(0, folder->size(), *folder) == 0);
        FUZZ_CHECK(folder->back() == '\\');
        FUZZ_CHECK(folder->size() < path.size());  // a file part is always left
        FUZZ_CHECK(WithTrailingBackslash(*folder) == *folder);
    }

    FUZZ_CHECK(IsLocalAbsoluteFolder(value) == LocalAbsolute(value));

    const std::string withBackslash = WithTrailingBackslash(value);
    if (value.empty())
        FUZZ_CHECK(withBackslash.empty());
    else if (value.back() == '\\')
        FUZZ_CHECK(withBackslash == value);
    else
        FUZZ_CHECK(withBackslash == value + '\\');
    return 0;
}
