// Identification of the running Windows: the description text and the process-wide
// flags derived from it. The 64-bit Windows flag decides the registry view.
#pragma once

#include <string>

namespace sysinfo {

// Identifies Windows and gives its one-line description ("unknown" when the version
// cannot be read); sets the 64-bit Windows flag and the server flag. The include-version
// switch adds the version text ("6.1.7601", or " 10.0.19045.3803" from "ver").
std::string WindowsDescription(bool includeVersion);

// What start-up calls instead: the same text and flags, but a "ver" whose output cannot
// change the description goes on running beside the program, and the NT 10 family flag
// waits for CompleteWindowsIdentification.
std::string IdentifyWindowsAtStartUp();
// Waits for that "ver", when it still runs, and removes its output file; sets the family
// flags from its output. Called once the run no longer waits for a person or a file.
void CompleteWindowsIdentification();

bool IsWindows64();
bool IsServer();
bool IsNt6Family();
bool IsNt10Family();

// Test hook: called with every description that WindowsDescription gives, so that a test
// program can see the text that start-up discards.
using DescriptionObserver = void (*)(const std::string& description);
void ObserveDescriptions(DescriptionObserver observer);

}  // namespace sysinfo
