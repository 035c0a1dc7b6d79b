// Made-up facts about Windows that remember which facts were asked for, in order.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "sysinfo/windows_facts.h"

namespace sysinfo_test {

using sysinfo::SystemMetric;
using sysinfo::VersionRecord;

class FakeFacts final : public sysinfo::WindowsFacts {
public:
    std::optional<VersionRecord> version;
    uint16_t architecture = sysinfo::arch::kX86;
    std::set<SystemMetric> metrics;  // the metrics that read nonzero
    std::optional<std::string> productName;
    std::optional<std::string> productOptions;
    bool hotfix = false;
    std::string ver;

    std::vector<std::string> asked;

    std::optional<VersionRecord> Version() override {
        asked.push_back("version");
        return version;
    }
    uint16_t Architecture() override {
        asked.push_back("architecture");
        return architecture;
    }
    bool Metric(SystemMetric metric) override {
        asked.push_back("metric " + std::to_string(static_cast<int>(metric)));
        return metrics.count(metric) != 0;
    }
    std::optional<std::string> ProductName() override {
        asked.push_back("product name");
        return productName;
    }
    std::optional<std::string> ProductOptions() override {
        asked.push_back("product options");
        return productOptions;
    }
    bool HasQ246009Hotfix() override {
        asked.push_back("hotfix");
        return hotfix;
    }
    std::string VerOutput() override {
        asked.push_back("ver");
        return ver;
    }
};

// An NT version record as GetVersionExA fills it.
inline VersionRecord Nt(uint32_t major, uint32_t minor, uint8_t productType, uint16_t suiteMask = 0,
                        std::string csd = "", bool extended = true, uint32_t build = 2600) {
    VersionRecord v;
    v.major = major;
    v.minor = minor;
    v.build = build;
    v.platformId = 2;
    v.csdLetter = csd.size() > 1 ? csd[1] : '\0';
    v.csdText = std::move(csd);
    v.suiteMask = extended ? suiteMask : 0;
    v.productType = extended ? productType : 0;
    v.extended = extended;
    return v;
}

// A 95/98/Me record: the high word of the build number carries major and minor.
inline VersionRecord Win9x(uint32_t minor, uint32_t build, char letter, uint32_t major = 4) {
    VersionRecord v;
    v.major = major;
    v.minor = minor;
    v.build = (major << 24) | (minor << 16) | build;
    v.platformId = 1;
    v.csdLetter = letter;
    v.csdText = letter ? std::string(" ") + letter + " " : std::string();
    return v;
}

}  // namespace sysinfo_test
