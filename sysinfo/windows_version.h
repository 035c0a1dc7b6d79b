// Identification of the running Windows: the description text and the process-wide
// flags derived from it. The 64-bit Windows flag decides the registry view.
#pragma once

#include <string>

namespace sysinfo {

// Identifies Windows and gives its one-line description ("unknown" when the version
// cannot be read); sets the 64-bit Windows flag and the server flag.
std::string WindowsDescription(bool includeVersion);

bool IsWindows64();
bool IsServer();
bool IsNt6Family();
bool IsNt10Family();

}  // namespace sysinfo
