#include "base/path_text.h"

void AddTrailingBackslash(std::string& folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
}

std::string WithTrailingBackslash(std::string folder) {
    AddTrailingBackslash(folder);
    return folder;
}
