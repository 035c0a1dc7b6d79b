#include "sysinfo/windows_version.h"

#include <memory>
#include <optional>

#include "sysinfo/console_capture.h"
#include "sysinfo/version_rules.h"
#include "sysinfo/win32_facts.h"

namespace sysinfo {
namespace {
WindowsFlags flags;
DescriptionObserver observer = nullptr;

class InterpreterVer final : public VerRun {
public:
    void Start() override {
        if (!capture_) capture_.emplace("ver");
    }
    std::string Output() override {
        Start();
        return capture_->Output();
    }

private:
    std::optional<PendingCapture> capture_;
};

// Start-up's identification until it is complete; its "ver" may still run.
struct StartUpIdentification {
    Win32WindowsFacts facts;
    InterpreterVer ver;
    EarlyIdentification identification{facts, ver};
};
std::unique_ptr<StartUpIdentification> startUp;
}  // namespace

std::string WindowsDescription(bool includeVersion) {
    Win32WindowsFacts facts;
    std::string description = DescribeWindows(facts, includeVersion, flags);
    if (observer) observer(description);
    return description;
}

std::string IdentifyWindowsAtStartUp() {
    startUp = std::make_unique<StartUpIdentification>();
    std::string description = startUp->identification.Describe(flags);
    if (observer) observer(description);
    return description;
}

void CompleteWindowsIdentification() {
    if (!startUp) return;
    startUp->identification.Complete(flags);
    startUp.reset();
}

bool IsWindows64() { return flags.windows64; }
bool IsServer() { return flags.server; }
bool IsNt6Family() { return flags.nt6Family; }
bool IsNt10Family() { return flags.nt10Family; }

void ObserveDescriptions(DescriptionObserver newObserver) { observer = newObserver; }

}  // namespace sysinfo
