// Rules of the installed-size measure.
#pragma once

#include <cstdint>

// Neither "." nor "..".
bool IsChildFolderName(const char* name);

// The REG_DWORD "EstimatedSize" for a size in kilobytes: capped at the largest value
// the type holds.
uint32_t EstimatedSizeValue(int64_t kilobytes);
