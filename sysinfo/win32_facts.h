// The facts about Windows as the running system gives them.
#pragma once

#include "sysinfo/windows_facts.h"

namespace sysinfo {

class Win32WindowsFacts final : public WindowsFacts {
public:
    std::optional<VersionRecord> Version() override;
    uint16_t Architecture() override;
    bool Metric(SystemMetric metric) override;
    std::optional<std::string> ProductName() override;
    std::optional<std::string> ProductOptions() override;
    bool HasQ246009Hotfix() override;
    std::string VerOutput() override;
};

}  // namespace sysinfo
