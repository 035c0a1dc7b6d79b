// The rules that turn the facts about Windows into its description and the process-wide
// flags. They make no system call: every fact comes from a WindowsFacts provider.
#pragma once

#include <string>

#include "sysinfo/windows_facts.h"

namespace sysinfo {

struct ProbeResult {
    bool identified = false;  // platform id 1 or 2
    std::string name;         // "Microsoft Windows " + version word + edition word, or the product name
    std::string version;      // "major.minor.build", or a piece of the "ver" output
    std::string servicePack;  // the CSD text, or "Service Pack 6a"
    bool nt6Family = false;
    bool nt10Family = false;
};

// Asks for the version record and the architecture first, then for each further fact
// only on the path that needs it, in the order of the tables.
ProbeResult ProbeWindows(WindowsFacts& facts);

// Nothing left after removing the characters 0 to 32 from both ends.
bool IsBlank(const std::string& text);

// The one-line description of an identified Windows: the name text, then with
// `includeVersion` the version text, then the service-pack text, each only when not
// blank, joined by single blanks.
std::string DescriptionText(const ProbeResult& probe, bool includeVersion);

struct WindowsFlags {
    bool windows64 = false;  // the description holds " 64"; decides the registry view
    bool server = false;     // the description holds "Server"
    bool nt6Family = false;
    bool nt10Family = false;
};

// Probes and describes, updating `flags` as the running program keeps them: the family
// flags follow every probe, the other two only an identified Windows. An unidentified
// one is described as "unknown".
std::string DescribeWindows(WindowsFacts& facts, bool includeVersion, WindowsFlags& flags);

}  // namespace sysinfo
