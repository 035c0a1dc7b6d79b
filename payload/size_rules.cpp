#include "payload/size_rules.h"

#include <algorithm>
#include <cstring>

#include "base/ascii.h"

bool IsChildFolderName(const char* name) { return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0; }

bool IsSetAsideName(const std::string& name, const std::vector<std::string>& names) {
    const std::string lower = LowerAscii(name);
    for (const std::string& candidate : names)
        if (LowerAscii(candidate) == lower) return true;
    return false;
}

uint32_t EstimatedSizeValue(int64_t kilobytes) {
    if (kilobytes < 0) return 0;
    return kilobytes > INT64_C(0xFFFFFFFF) ? 0xFFFFFFFFu : static_cast<uint32_t>(kilobytes);
}

uint32_t DetectionValue(bool present, std::optional<int32_t> version, int32_t buildVersion) {
    if (!present) return 0;
    const int32_t value = version.value_or(buildVersion);
    return value < 0 ? 0 : static_cast<uint32_t>(value);
}

bool FolderIdentities::FirstVisit(uint32_t volumeSerial, uint64_t fileIndex) {
    if (fileIndex == 0) return true;
    const std::pair<uint32_t, uint64_t> identity(volumeSerial, fileIndex);
    const auto at = std::lower_bound(seen_.begin(), seen_.end(), identity);
    if (at != seen_.end() && *at == identity) return false;
    seen_.insert(at, identity);
    return true;
}
