#include "payload/size_rules.h"

#include <cstring>

bool IsChildFolderName(const char* name) { return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0; }

uint32_t EstimatedSizeValue(int64_t kilobytes) {
    if (kilobytes < 0) return 0;
    return kilobytes > INT64_C(0xFFFFFFFF) ? 0xFFFFFFFFu : static_cast<uint32_t>(kilobytes);
}

bool FolderIdentities::FirstVisit(uint32_t volumeSerial, uint64_t fileIndex) {
    if (fileIndex == 0) return true;
    return seen_.insert({volumeSerial, fileIndex}).second;
}
