#include "sysinfo/version_rules.h"

#include "base/ascii.h"
#include "base/number_text.h"

namespace sysinfo {
namespace {

constexpr uint16_t kSuiteEnterprise = 0x0002;
constexpr uint16_t kSuiteEmbeddedNt = 0x0040;
constexpr uint16_t kSuiteDatacenter = 0x0080;
constexpr uint16_t kSuitePersonal = 0x0200;
constexpr uint16_t kSuiteBlade = 0x0400;
constexpr uint16_t kSuiteStorageServer = 0x2000;
constexpr uint16_t kSuiteComputeServer = 0x4000;

constexpr uint8_t kWorkstation = 1;

std::string DottedVersion(const VersionRecord& v) {
    return DecimalText(v.major) + "." + DecimalText(v.minor) + "." + DecimalText(v.build & 0xFFFF);
}

// 1-based position of the first occurrence, 0 when absent.
size_t Position(const std::string& text, const char* part) {
    const size_t at = text.find(part);
    return at == std::string::npos ? 0 : at + 1;
}

// `count` characters from the 1-based `from`, clipped to the text.
std::string Copy(const std::string& text, long from, long count) {
    if (from < 1) from = 1;
    if (count <= 0 || static_cast<size_t>(from) > text.size()) return std::string();
    return text.substr(static_cast<size_t>(from - 1), static_cast<size_t>(count));
}

bool HasSuite(const VersionRecord& v, uint16_t bit) { return (v.suiteMask & bit) != 0; }

// 95, 98 and Me tell their releases apart by build number and the letter in szCSDVersion.
std::string Windows9xWord(const VersionRecord& v) {
    const uint32_t build = v.build & 0xFFFF;
    const char letter = v.csdLetter;
    if (v.major != 4) return "Unknown 9x";
    switch (v.minor) {
        case 0:
        case 3:
            if (build == 1111) return "95 OSR 2.0";
            if (build == 1212 || build == 1213) return "95 OSR 2.1";
            if (build == 1214) return letter == 'C' ? "95 OSR 2.5" : "95 OSR 2.1";
            if (build > 1080) return "95 OSR 2.x";
            return letter == 'A' || letter == 'W' ? "95 OSR 1" : "95";
        case 10:
            // The high word of the build carries 4.10 on 98; 98 SE is build 2222 in the low word.
            return build == 2222 || letter == 'A' || letter == 'B' ? "98 SE" : "98";
        case 90:
            return "Millennium";
        default:
            return "Unknown 9x";
    }
}

// Windows 8.1 and later report 6.2 to a program whose manifest declares no compatibility
// with them; the interpreter's "ver" still prints the true version. The majors that no
// table names skip the release markers and take the number from the output as it is.
void AppendFromVerOutput(WindowsFacts& facts, const VersionRecord& v, bool releaseMarkers, ProbeResult& out) {
    const std::string o = facts.VerOutput();
    out.nameFromVer = true;
    const bool workstation = v.productType == kWorkstation;
    size_t start;
    if (releaseMarkers && Position(o, " 6.2") != 0) {
        out.name += workstation ? "8 " : "Server 2012 ";
        start = Position(o, " 6.2");
    } else if (releaseMarkers && Position(o, " 6.3") != 0) {
        out.name += workstation ? "8.1 " : "Server 2012 R2 ";
        start = Position(o, " 6.3");
    } else if (releaseMarkers && Position(o, " 10") != 0) {
        out.nt10Family = true;
        out.name += workstation ? "10 " : "Server 10 ";
        start = Position(o, " 10");
    } else {
        // "Microsoft Windows [Version 10.0.19045]": the number begins behind "ion" and the blank.
        start = Position(o, "ion") + 4;
        if (!workstation) out.name += "Server ";
        out.name += Copy(o, static_cast<long>(start), static_cast<long>(Position(o, ".")) - static_cast<long>(start));
        out.name += " ";
    }
    out.version = Copy(o, static_cast<long>(start), static_cast<long>(Position(o, "]")) - static_cast<long>(start));
}

void AppendNtVersionWord(WindowsFacts& facts, const VersionRecord& v, uint16_t architecture, ProbeResult& out) {
    const bool workstation = v.productType == kWorkstation;
    switch (v.major) {
        case 3:
        case 4:
            out.name += "NT ";
            return;
        case 5:
            if (v.minor == 0) {
                out.name += "2000 ";
            } else if (v.minor == 1) {
                out.name += "XP ";
            } else if (v.minor == 2) {
                if (facts.Metric(SystemMetric::ServerR2))
                    out.name += "Server 2003 R2 ";
                else if (v.suiteMask == kSuiteStorageServer)
                    out.name += "Storage Server 2003";
                else if (workstation && architecture == arch::kAmd64)
                    out.name += "XP ";
                else
                    out.name += "Server 2003 ";
            } else {
                out.name += "Unknown version ";
            }
            return;
        case 6:
            out.nt6Family = true;
            if (v.minor == 0)
                out.name += workstation ? "Vista " : "Server 2008 ";
            else if (v.minor == 1)
                out.name += workstation ? "7 " : "Server 2008 R2 ";
            else if (v.minor == 2)
                AppendFromVerOutput(facts, v, true, out);
            else if (v.minor == 3)
                out.name += workstation ? "8.1 " : "Server 2012 R2 ";
            return;
        case 10:
            out.nt6Family = true;
            out.nt10Family = true;
            if (v.minor == 0) out.name += workstation ? "10 " : "Server 2016 ";
            return;
        default:
            out.nt10Family = true;
            AppendFromVerOutput(facts, v, false, out);
            return;
    }
}

void AppendNt6Edition(WindowsFacts& facts, uint16_t architecture, ProbeResult& out) {
    if (std::optional<std::string> productName = facts.ProductName()) {
        out.name = *productName;
        out.nameFromVer = false;
    }
    if (architecture == arch::kAmd64)
        out.name += " 64-bit";
    else if (architecture == arch::kX86)
        out.name += " 32-bit";
}

const char* WorkstationEdition(WindowsFacts& facts, const VersionRecord& v, uint16_t architecture) {
    if (v.major == 4) return "Workstation";
    if (v.major != 5) return "Unknown Workstation";
    if (v.minor == 2 && architecture == arch::kAmd64) return "Professional x64";
    if (facts.Metric(SystemMetric::Starter)) return "Starter";
    if (facts.Metric(SystemMetric::MediaCenter)) return "Media Center";
    if (facts.Metric(SystemMetric::TabletPc)) return "Tablet PC";
    if (HasSuite(v, kSuitePersonal)) return "Home";
    if (HasSuite(v, kSuiteEmbeddedNt)) return "Embedded";
    return "Professional";
}

std::string ServerEdition(const VersionRecord& v, uint16_t architecture) {
    if (v.major == 4) return HasSuite(v, kSuiteEnterprise) ? "Server 4.0 Enterprise" : "Server 4.0";
    if (v.major == 5 && v.minor == 0) {
        if (HasSuite(v, kSuiteDatacenter)) return "Datacenter Server";
        if (HasSuite(v, kSuiteEnterprise)) return "Advanced Server";
        return "Server";
    }
    if (v.major == 5 && v.minor == 2) {
        switch (architecture) {
            case arch::kX86:
                if (HasSuite(v, kSuiteComputeServer)) return "Computer Cluster";
                if (HasSuite(v, kSuiteDatacenter)) return "Datacenter";
                if (HasSuite(v, kSuiteEnterprise)) return "Enterprise";
                if (v.suiteMask == kSuiteBlade) return "Web";
                return "Standard";
            case arch::kItanium:
                if (HasSuite(v, kSuiteDatacenter)) return "Datacenter for Itanium-based Systems";
                if (HasSuite(v, kSuiteEnterprise)) return "Enterprise for Itanium-based Systems";
                return "Standard Itanium-based";
            case arch::kAmd64:
                if (HasSuite(v, kSuiteDatacenter)) return "Datacenter x64";
                if (HasSuite(v, kSuiteEnterprise)) return "Enterprise x64";
                return "Standard x64";
            default:
                return "Unknown on Architecture 0x" + HexText(architecture, 1, true);
        }
    }
    return v.productType == 3 ? "Unknown Server" : "Unknown Domain controller";
}

// NT 4 before SP6 has no OSVERSIONINFOEX; its product type is kept in the registry.
const char* ProductOptionsEdition(WindowsFacts& facts) {
    const std::optional<std::string> stored = facts.ProductOptions();
    if (!stored) return "";
    const std::string type = UpperAscii(*stored);
    if (type == "WINNT") return "Workstation";
    if (type == "LANMANNT") return "Server";
    if (type == "SERVERNT") return "Advanced Server";
    return "Unknown";
}

void AppendNtEdition(WindowsFacts& facts, const VersionRecord& v, uint16_t architecture, ProbeResult& out) {
    if (!v.extended) {
        out.name += ProductOptionsEdition(facts);
    } else if (v.major == 6) {
        AppendNt6Edition(facts, architecture, out);
    } else if (v.productType == kWorkstation) {
        out.name += WorkstationEdition(facts, v, architecture);
    } else if (v.productType == 2 || v.productType == 3) {
        out.name += ServerEdition(v, architecture);
    } else {
        out.name += "Unknown";
    }
}

}  // namespace

ProbeResult ProbeWindows(WindowsFacts& facts) {
    ProbeResult out;
    const std::optional<VersionRecord> record = facts.Version();
    if (!record) return out;
    const VersionRecord& v = *record;
    const uint16_t architecture = facts.Architecture();
    out.name = "Microsoft Windows ";

    if (v.platformId == 1) {
        out.name += Windows9xWord(v);
        out.version = DottedVersion(v);
        out.servicePack = v.csdText;
        out.identified = true;
        return out;
    }
    if (v.platformId != 2) return out;

    AppendNtVersionWord(facts, v, architecture, out);
    AppendNtEdition(facts, v, architecture, out);
    // The Q246009 fix for NT 4 SP6 leaves szCSDVersion as it was.
    if (v.major == 4 && v.csdText == "Service Pack 6" && facts.HasQ246009Hotfix())
        out.servicePack = "Service Pack 6a";
    else
        out.servicePack = v.csdText;
    if (out.version.empty()) out.version = DottedVersion(v);
    out.identified = true;
    return out;
}

bool IsBlank(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

std::string DescriptionText(const ProbeResult& probe, bool includeVersion) {
    if (includeVersion && !IsBlank(probe.version)) {
        const std::string tail =
            IsBlank(probe.servicePack) ? probe.version : probe.version + " " + probe.servicePack;
        return probe.name + " " + tail;
    }
    if (!IsBlank(probe.servicePack)) return probe.name + " " + probe.servicePack;
    return probe.name;
}

namespace {

std::string ApplyProbe(const ProbeResult& probe, bool includeVersion, WindowsFlags& flags) {
    flags.nt6Family = probe.nt6Family;
    flags.nt10Family = probe.nt10Family;
    if (!probe.identified) return "unknown";
    std::string description = DescriptionText(probe, includeVersion);
    // "XP Professional x64" and "Standard x64" hold no " 64" and so keep the 32-bit view.
    flags.windows64 = description.find(" 64") != std::string::npos;
    flags.server = description.find("Server") != std::string::npos;
    return description;
}

}  // namespace

std::string DescribeWindows(WindowsFacts& facts, bool includeVersion, WindowsFlags& flags) {
    return ApplyProbe(ProbeWindows(facts), includeVersion, flags);
}

// Each fact as `source` gave it the first time; "ver" from the VerRun.
class EarlyIdentification::Recorded final : public WindowsFacts {
public:
    Recorded(WindowsFacts& source, VerRun& ver) : source_(source), ver_(ver) {}

    std::optional<VersionRecord> Version() override {
        if (!version_) version_ = source_.Version();
        return *version_;
    }
    uint16_t Architecture() override {
        if (!architecture_) architecture_ = source_.Architecture();
        return *architecture_;
    }
    bool Metric(SystemMetric metric) override {
        const int index = static_cast<int>(metric) - static_cast<int>(SystemMetric::TabletPc);
        if (!metrics_[index]) metrics_[index] = source_.Metric(metric);
        return *metrics_[index];
    }
    std::optional<std::string> ProductName() override {
        if (!productName_) productName_ = source_.ProductName();
        return *productName_;
    }
    std::optional<std::string> ProductOptions() override {
        if (!productOptions_) productOptions_ = source_.ProductOptions();
        return *productOptions_;
    }
    bool HasQ246009Hotfix() override {
        if (!hotfix_) hotfix_ = source_.HasQ246009Hotfix();
        return *hotfix_;
    }
    std::string VerOutput() override {
        if (ver == Ver::NotStarted) {
            ver_.Start();
            ver = Ver::Running;
        }
        if (ver == Ver::Running && !await) return std::string();
        if (ver == Ver::Running) {
            verOutput_ = ver_.Output();
            ver = Ver::Done;
        }
        return verOutput_;
    }

    enum class Ver { NotStarted, Running, Done } ver = Ver::NotStarted;
    bool await = false;  // VerOutput waits for the command instead of giving ""

private:
    WindowsFacts& source_;
    VerRun& ver_;
    std::optional<std::optional<VersionRecord>> version_;
    std::optional<uint16_t> architecture_;
    std::optional<bool> metrics_[4];
    std::optional<std::optional<std::string>> productName_;
    std::optional<std::optional<std::string>> productOptions_;
    std::optional<bool> hotfix_;
    std::string verOutput_;
};

EarlyIdentification::EarlyIdentification(WindowsFacts& facts, VerRun& ver)
    : facts_(std::make_unique<Recorded>(facts, ver)) {}

EarlyIdentification::~EarlyIdentification() = default;

std::string EarlyIdentification::Describe(WindowsFlags& flags) {
    ProbeResult probe = ProbeWindows(*facts_);
    if (probe.nameFromVer) {
        facts_->await = true;
        probe = ProbeWindows(*facts_);
    }
    return ApplyProbe(probe, false, flags);
}

void EarlyIdentification::Complete(WindowsFlags& flags) {
    if (facts_->ver != Recorded::Ver::Running) return;
    facts_->await = true;
    const ProbeResult probe = ProbeWindows(*facts_);
    flags.nt6Family = probe.nt6Family;
    flags.nt10Family = probe.nt10Family;
}

}  // namespace sysinfo
