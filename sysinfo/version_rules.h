// The rules that turn the facts about Windows into its description and the process-wide
// flags. They make no system call: every fact comes from a WindowsFacts provider.
#pragma once

#include <memory>
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
    bool nameFromVer = false;  // the name text holds what the "ver" output gave it
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

// The "ver" output of a command interpreter that runs beside the caller.
class VerRun {
public:
    virtual ~VerRun() = default;
    // Starts the command and returns at once.
    virtual void Start() = 0;
    // Waits for the command started before and gives its output.
    virtual std::string Output() = 0;
};

// Start-up's identification: the description and flags that DescribeWindows gives with
// the include-version switch off, without waiting for "ver" where its output cannot
// change them. The command is started where the probe needs its output, and the probe
// goes on with an empty one; only when the name text was built from it (6.2 without a
// product name or without the extended record, or an unlisted major) is the probe
// repeated with the real output. The product name replaces the name text whole, so on
// the releases that report 6.2 the description, the 64-bit Windows flag and the server
// flag do not depend on "ver"; the version text and the NT 10 family flag do, and
// Complete sets that flag afterwards. Every fact is asked of `facts` once, however
// often the probe runs.
class EarlyIdentification {
public:
    EarlyIdentification(WindowsFacts& facts, VerRun& ver);
    ~EarlyIdentification();

    std::string Describe(WindowsFlags& flags);
    // Waits for a "ver" still running and sets the family flags from its output; nothing
    // when "ver" was not needed or was waited for already.
    void Complete(WindowsFlags& flags);

private:
    class Recorded;
    std::unique_ptr<Recorded> facts_;
};

}  // namespace sysinfo
