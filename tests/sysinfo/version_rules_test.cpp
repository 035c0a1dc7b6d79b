// The Windows identification tables, driven row by row with made-up facts.
#include "sysinfo/version_rules.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/sysinfo/fake_facts.h"

namespace sysinfo_test {
namespace {

using sysinfo::DescribeWindows;
using sysinfo::ProbeResult;
using sysinfo::ProbeWindows;
using sysinfo::WindowsFlags;
namespace arch = sysinfo::arch;

constexpr uint16_t kArch12 = 12;  // an architecture that no table names (ARM64)

using Asked = std::vector<std::string>;

// ---- Table A: 95, 98 and Me --------------------------------------------------------

TEST(WindowsVersionTableA, VersionWordOfEachRelease) {
    struct Row {
        VersionRecord record;
        const char* name;
    };
    const Row rows[] = {
        {Win9x(0, 1111, 'B'), "Microsoft Windows 95 OSR 2.0"},
        {Win9x(0, 1212, 'B'), "Microsoft Windows 95 OSR 2.1"},
        {Win9x(3, 1213, 'B'), "Microsoft Windows 95 OSR 2.1"},
        {Win9x(0, 1214, 'C'), "Microsoft Windows 95 OSR 2.5"},
        {Win9x(0, 1214, 'B'), "Microsoft Windows 95 OSR 2.1"},
        {Win9x(0, 1081, 'B'), "Microsoft Windows 95 OSR 2.x"},
        {Win9x(3, 1500, '\0'), "Microsoft Windows 95 OSR 2.x"},
        {Win9x(0, 1080, 'A'), "Microsoft Windows 95 OSR 1"},
        {Win9x(0, 950, 'W'), "Microsoft Windows 95 OSR 1"},
        {Win9x(0, 950, 'B'), "Microsoft Windows 95"},
        {Win9x(0, 950, '\0'), "Microsoft Windows 95"},
        {Win9x(10, 1998, '\0'), "Microsoft Windows 98"},
        {Win9x(10, 1998, 'C'), "Microsoft Windows 98"},
        {Win9x(10, 1998, 'A'), "Microsoft Windows 98 SE"},
        {Win9x(10, 1998, 'B'), "Microsoft Windows 98 SE"},
        {Win9x(10, 2222, '\0'), "Microsoft Windows 98 SE"},  // the low word holds 2222
        {Win9x(90, 3000, '\0'), "Microsoft Windows Millennium"},
        {Win9x(1, 950, 'A'), "Microsoft Windows Unknown 9x"},
        {Win9x(0, 950, 'A', 5), "Microsoft Windows Unknown 9x"},
        {Win9x(0, 950, 'A', 3), "Microsoft Windows Unknown 9x"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name + std::string(" from build ") + std::to_string(row.record.build & 0xFFFF) + " letter " +
                     std::to_string(row.record.csdLetter));
        FakeFacts facts;
        facts.version = row.record;
        const ProbeResult probe = ProbeWindows(facts);
        EXPECT_TRUE(probe.identified);
        EXPECT_EQ(probe.name, row.name);
        EXPECT_EQ(probe.servicePack, row.record.csdText);
        EXPECT_FALSE(probe.nt6Family);
        EXPECT_FALSE(probe.nt10Family);
        EXPECT_EQ(facts.asked, (Asked{"version", "architecture"}));
    }
}

TEST(WindowsVersionTableA, VersionTextUsesTheLowWordOfTheBuild) {
    FakeFacts facts;
    facts.version = Win9x(10, 2222, 'A');
    EXPECT_EQ(facts.version->build, 0x040A08AEu);
    const ProbeResult probe = ProbeWindows(facts);
    EXPECT_EQ(probe.version, "4.10.2222");
    WindowsFlags flags;
    FakeFacts again;
    again.version = Win9x(10, 2222, 'A');
    EXPECT_EQ(DescribeWindows(again, false, flags), "Microsoft Windows 98 SE  A ");
    EXPECT_EQ(DescribeWindows(again, true, flags), "Microsoft Windows 98 SE 4.10.2222  A ");
}

// ---- Table B: the NT version word --------------------------------------------------

struct NtRow {
    const char* label;
    VersionRecord record;
    uint16_t architecture;
    std::set<SystemMetric> metrics;
    const char* ver;
    const char* name;
    bool nt6;
    bool nt10;
};

void ExpectNtRows(const std::vector<NtRow>& rows) {
    for (const NtRow& row : rows) {
        SCOPED_TRACE(row.label);
        FakeFacts facts;
        facts.version = row.record;
        facts.architecture = row.architecture;
        facts.metrics = row.metrics;
        facts.ver = row.ver;
        const ProbeResult probe = ProbeWindows(facts);
        EXPECT_TRUE(probe.identified);
        EXPECT_EQ(probe.name, row.name);
        EXPECT_EQ(probe.nt6Family, row.nt6);
        EXPECT_EQ(probe.nt10Family, row.nt10);
    }
}

TEST(WindowsVersionTableB, VersionWordAndFamilyFlags) {
    const std::set<SystemMetric> none;
    const std::set<SystemMetric> r2 = {SystemMetric::ServerR2};
    // Edition words follow from tables D and E; an NT 6 name gets no bitness word on
    // architecture 12 and keeps its built form without a product name.
    ExpectNtRows({
        {"3.51", Nt(3, 51, 1), arch::kX86, none, "", "Microsoft Windows NT Unknown Workstation", false, false},
        {"4.0", Nt(4, 0, 1), arch::kX86, none, "", "Microsoft Windows NT Workstation", false, false},
        {"5.0", Nt(5, 0, 1), arch::kX86, none, "", "Microsoft Windows 2000 Professional", false, false},
        {"5.1", Nt(5, 1, 1), arch::kX86, none, "", "Microsoft Windows XP Professional", false, false},
        {"5.2 R2 before storage", Nt(5, 2, 3, 0x2000), arch::kX86, r2, "",
         "Microsoft Windows Server 2003 R2 Standard", false, false},
        {"5.2 storage", Nt(5, 2, 3, 0x2000), arch::kX86, none, "",
         "Microsoft Windows Storage Server 2003Standard", false, false},
        {"5.2 storage bit with another", Nt(5, 2, 3, 0x2002), arch::kX86, none, "",
         "Microsoft Windows Server 2003 Enterprise", false, false},
        {"5.2 workstation x64", Nt(5, 2, 1), arch::kAmd64, none, "", "Microsoft Windows XP Professional x64", false,
         false},
        {"5.2 workstation x86", Nt(5, 2, 1), arch::kX86, none, "", "Microsoft Windows Server 2003 Professional", false,
         false},
        {"5.2 server x64", Nt(5, 2, 3), arch::kAmd64, none, "", "Microsoft Windows Server 2003 Standard x64", false,
         false},
        {"5.3", Nt(5, 3, 1), arch::kX86, none, "", "Microsoft Windows Unknown version Professional", false, false},
        {"6.0 workstation", Nt(6, 0, 1), kArch12, none, "", "Microsoft Windows Vista ", true, false},
        {"6.0 server", Nt(6, 0, 3), kArch12, none, "", "Microsoft Windows Server 2008 ", true, false},
        {"6.0 domain controller", Nt(6, 0, 2), kArch12, none, "", "Microsoft Windows Server 2008 ", true, false},
        {"6.1 workstation", Nt(6, 1, 1), kArch12, none, "", "Microsoft Windows 7 ", true, false},
        {"6.1 server", Nt(6, 1, 3), kArch12, none, "", "Microsoft Windows Server 2008 R2 ", true, false},
        {"6.3 workstation", Nt(6, 3, 1), kArch12, none, "", "Microsoft Windows 8.1 ", true, false},
        {"6.3 server", Nt(6, 3, 3), kArch12, none, "", "Microsoft Windows Server 2012 R2 ", true, false},
        {"6.4", Nt(6, 4, 1), kArch12, none, "", "Microsoft Windows ", true, false},
        {"6.9", Nt(6, 9, 3), kArch12, none, "", "Microsoft Windows ", true, false},
        {"10.0 workstation", Nt(10, 0, 1), arch::kX86, none, "", "Microsoft Windows 10 Unknown Workstation", true,
         true},
        {"10.0 server", Nt(10, 0, 3), arch::kX86, none, "", "Microsoft Windows Server 2016 Unknown Server", true,
         true},
        {"10.1", Nt(10, 1, 2), arch::kX86, none, "", "Microsoft Windows Unknown Domain controller", true, true},
    });
}

TEST(WindowsVersionTableB, UnlistedMajorsUseTheGeneralVerRuleOnly) {
    // Markers that table C tests first for 6.2 do not count for these majors.
    const char* ver = "\r\nMicrosoft Windows [Version 11.0.22000.1] 6.2 6.3 10\r\n";
    for (uint32_t major : {0u, 1u, 2u, 7u, 8u, 9u, 11u, 12u, 100u}) {
        SCOPED_TRACE("major " + std::to_string(major));
        FakeFacts facts;
        facts.version = Nt(major, 0, 1);
        facts.ver = ver;
        const ProbeResult probe = ProbeWindows(facts);
        EXPECT_EQ(probe.name, "Microsoft Windows 11 Unknown Workstation");
        EXPECT_EQ(probe.version, "11.0.22000.1");
        EXPECT_FALSE(probe.nt6Family);
        EXPECT_TRUE(probe.nt10Family);
        EXPECT_EQ(facts.asked, (Asked{"version", "architecture", "ver"}));
    }
}

// ---- Table C: the "ver" output for 6.2 ---------------------------------------------

TEST(WindowsVersionTableC, VersionWordAndVersionTextFromVer) {
    struct Row {
        const char* label;
        uint8_t productType;
        const char* ver;
        const char* name;     // without an edition: no product name, architecture 12
        const char* version;  // as the probe gives it: "6.2.9200" when the output had none
        bool nt10;
    };
    const Row rows[] = {
        {"8", 1, "\r\nMicrosoft Windows [Version 6.2.9200]\r\n", "Microsoft Windows 8 ", " 6.2.9200", false},
        {"Server 2012", 3, "\r\nMicrosoft Windows [Version 6.2.9200]\r\n", "Microsoft Windows Server 2012 ",
         " 6.2.9200", false},
        {"8.1", 1, "\r\nMicrosoft Windows [Version 6.3.9600]\r\n", "Microsoft Windows 8.1 ", " 6.3.9600", false},
        {"Server 2012 R2", 2, "\r\nMicrosoft Windows [Version 6.3.9600]\r\n", "Microsoft Windows Server 2012 R2 ",
         " 6.3.9600", false},
        {"10", 1, "\r\nMicrosoft Windows [Version 10.0.19045.3803]\r\n", "Microsoft Windows 10 ",
         " 10.0.19045.3803", true},
        {"Server 10", 3, "\r\nMicrosoft Windows [Version 10.0.17763.1]\r\n", "Microsoft Windows Server 10 ",
         " 10.0.17763.1", true},
        {"6.2 before 6.3", 1, "\r\n 6.3.9600 6.2.9200]", "Microsoft Windows 8 ", " 6.2.9200", false},
        {"6.3 before 10", 1, "\r\n 10.0.1 6.3.9600]", "Microsoft Windows 8.1 ", " 6.3.9600", false},
        {"bracket before the marker", 1, "[Version 10.0.1] 6.3.9600", "Microsoft Windows 8.1 ", "6.2.9200", false},
        // Wine prints no brackets: no "]", so the version text comes from the record.
        {"10 without brackets", 1, "\r\nMicrosoft Windows 10.0.18362\r\n", "Microsoft Windows 10 ", "6.2.9200",
         true},
        {"general rule", 1, "\r\nMicrosoft Windows [Version 11.0.1]\r\n", "Microsoft Windows 11 ", "11.0.1", false},
        {"general rule, server", 3, "\r\nMicrosoft Windows [Version 11.0.1]\r\n", "Microsoft Windows Server 11 ",
         "11.0.1", false},
        // Without "ion" the copies start at the fourth character.
        {"no ion", 1, "Microsoft Windows 6.1.7601\r\n", "Microsoft Windows rosoft Windows 6 ", "6.2.9200", false},
        {"no ion, bracket", 1, "Microsoft Windows 6.1.7601]\r\n", "Microsoft Windows rosoft Windows 6 ",
         "rosoft Windows 6.1.7601", false},
        // "ComSpec" unset: an empty output leaves a lone blank.
        {"empty", 1, "", "Microsoft Windows  ", "6.2.9200", false},
        {"empty, server", 3, "", "Microsoft Windows Server  ", "6.2.9200", false},
        {"nothing written", 1, "\r\n", "Microsoft Windows  ", "6.2.9200", false},
        // "." and "]" are searched in the whole output, also before the start.
        {"dot before start", 1, "a.b ]Version 2", "Microsoft Windows  ", "6.2.9200", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FakeFacts facts;
        facts.version = Nt(6, 2, row.productType, 0, "", true, 9200);
        facts.architecture = kArch12;
        facts.ver = row.ver;
        const ProbeResult probe = ProbeWindows(facts);
        EXPECT_EQ(probe.name, row.name);
        EXPECT_EQ(probe.version, row.version);
        EXPECT_TRUE(probe.nt6Family);
        EXPECT_EQ(probe.nt10Family, row.nt10);
    }
}

// ---- The edition step of NT 6 --------------------------------------------------------

TEST(WindowsVersionNt6Edition, ProductNameAndBitness) {
    struct Row {
        const char* label;
        std::optional<std::string> productName;
        uint16_t architecture;
        const char* name;
    };
    const Row rows[] = {
        {"x64", std::string("Windows 7 Ultimate"), arch::kAmd64, "Windows 7 Ultimate 64-bit"},
        {"x86", std::string("Windows 7 Ultimate"), arch::kX86, "Windows 7 Ultimate 32-bit"},
        {"Itanium", std::string("Windows Server 2008 R2"), arch::kItanium, "Windows Server 2008 R2"},
        {"architecture 12", std::string("Windows 7 Ultimate"), kArch12, "Windows 7 Ultimate"},
        {"unreadable name", std::nullopt, arch::kAmd64, "Microsoft Windows 7  64-bit"},
        {"unreadable name, x86", std::nullopt, arch::kX86, "Microsoft Windows 7  32-bit"},
        {"empty name", std::string(), arch::kAmd64, " 64-bit"},
        {"empty name, x86", std::string(), arch::kX86, " 32-bit"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FakeFacts facts;
        facts.version = Nt(6, 1, 1);
        facts.architecture = row.architecture;
        facts.productName = row.productName;
        EXPECT_EQ(ProbeWindows(facts).name, row.name);
        EXPECT_EQ(facts.asked, (Asked{"version", "architecture", "product name"}));
    }
}

// ---- Table D: workstation editions ---------------------------------------------------

TEST(WindowsVersionTableD, WorkstationEditionInTestOrder) {
    struct Row {
        const char* label;
        VersionRecord record;
        uint16_t architecture;
        std::set<SystemMetric> metrics;
        const char* name;
        Asked metricsAsked;
    };
    const std::set<SystemMetric> all = {SystemMetric::Starter, SystemMetric::MediaCenter, SystemMetric::TabletPc};
    const Row rows[] = {
        {"NT 4", Nt(4, 0, 1), arch::kX86, all, "Microsoft Windows NT Workstation", {}},
        {"x64", Nt(5, 2, 1, 0x0200), arch::kAmd64, all, "Microsoft Windows XP Professional x64", {"metric 89"}},
        {"starter", Nt(5, 1, 1, 0x0200), arch::kX86, all, "Microsoft Windows XP Starter", {"metric 88"}},
        {"media center", Nt(5, 1, 1, 0x0200), arch::kX86, {SystemMetric::MediaCenter, SystemMetric::TabletPc},
         "Microsoft Windows XP Media Center", {"metric 88", "metric 87"}},
        {"tablet", Nt(5, 1, 1, 0x0200), arch::kX86, {SystemMetric::TabletPc}, "Microsoft Windows XP Tablet PC",
         {"metric 88", "metric 87", "metric 86"}},
        {"home", Nt(5, 1, 1, 0x0240), arch::kX86, {}, "Microsoft Windows XP Home",
         {"metric 88", "metric 87", "metric 86"}},
        {"embedded", Nt(5, 1, 1, 0x0040), arch::kX86, {}, "Microsoft Windows XP Embedded",
         {"metric 88", "metric 87", "metric 86"}},
        {"professional", Nt(5, 1, 1, 0x0100), arch::kX86, {}, "Microsoft Windows XP Professional",
         {"metric 88", "metric 87", "metric 86"}},
        {"2000", Nt(5, 0, 1), arch::kAmd64, {}, "Microsoft Windows 2000 Professional",
         {"metric 88", "metric 87", "metric 86"}},
        {"5.2 on Itanium", Nt(5, 2, 1), arch::kItanium, {}, "Microsoft Windows Server 2003 Professional",
         {"metric 89", "metric 88", "metric 87", "metric 86"}},
        {"NT 3", Nt(3, 51, 1), arch::kX86, all, "Microsoft Windows NT Unknown Workstation", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FakeFacts facts;
        facts.version = row.record;
        facts.architecture = row.architecture;
        facts.metrics = row.metrics;
        EXPECT_EQ(ProbeWindows(facts).name, row.name);
        Asked expected = {"version", "architecture"};
        expected.insert(expected.end(), row.metricsAsked.begin(), row.metricsAsked.end());
        EXPECT_EQ(facts.asked, expected);
    }
}

// ---- Table E: server editions --------------------------------------------------------

TEST(WindowsVersionTableE, ServerEditionInTestOrder) {
    struct Row {
        VersionRecord record;
        uint16_t architecture;
        const char* edition;  // behind the version word
    };
    const Row rows[] = {
        {Nt(4, 0, 3, 0x0002), arch::kX86, "Server 4.0 Enterprise"},
        {Nt(4, 0, 2), arch::kX86, "Server 4.0"},
        {Nt(5, 0, 3, 0x0082), arch::kX86, "Datacenter Server"},
        {Nt(5, 0, 3, 0x0002), arch::kX86, "Advanced Server"},
        {Nt(5, 0, 2, 0x0400), arch::kX86, "Server"},
        {Nt(5, 2, 3, 0x4082), arch::kX86, "Computer Cluster"},
        {Nt(5, 2, 3, 0x0082), arch::kX86, "Datacenter"},
        {Nt(5, 2, 3, 0x0402), arch::kX86, "Enterprise"},
        {Nt(5, 2, 3, 0x0400), arch::kX86, "Web"},
        {Nt(5, 2, 3, 0x0410), arch::kX86, "Standard"},  // blade together with another bit
        {Nt(5, 2, 3, 0x0000), arch::kX86, "Standard"},
        {Nt(5, 2, 3, 0x4082), arch::kItanium, "Datacenter for Itanium-based Systems"},
        {Nt(5, 2, 3, 0x4002), arch::kItanium, "Enterprise for Itanium-based Systems"},
        {Nt(5, 2, 3, 0x4400), arch::kItanium, "Standard Itanium-based"},
        {Nt(5, 2, 3, 0x4082), arch::kAmd64, "Datacenter x64"},
        {Nt(5, 2, 2, 0x0002), arch::kAmd64, "Enterprise x64"},
        {Nt(5, 2, 3, 0x0400), arch::kAmd64, "Standard x64"},
        {Nt(5, 2, 3, 0x0080), kArch12, "Unknown on Architecture 0xC"},
        {Nt(5, 2, 3), 0xABCD, "Unknown on Architecture 0xABCD"},
        {Nt(5, 2, 3), 0xFFFF, "Unknown on Architecture 0xFFFF"},
        {Nt(5, 1, 3, 0x0082), arch::kX86, "Unknown Server"},
        {Nt(5, 1, 2), arch::kX86, "Unknown Domain controller"},
        {Nt(5, 3, 3), arch::kX86, "Unknown Server"},
        {Nt(5, 7, 2), arch::kX86, "Unknown Domain controller"},
        {Nt(3, 51, 3), arch::kX86, "Unknown Server"},
        {Nt(10, 0, 2), arch::kX86, "Unknown Domain controller"},
        {Nt(5, 0, 0, 0x0002), arch::kX86, "Unknown"},  // product types outside 1 to 3
        {Nt(5, 2, 4, 0x0002), arch::kX86, "Unknown"},
        {Nt(4, 0, 255), arch::kX86, "Unknown"},
    };
    for (const Row& row : rows) {
        const VersionRecord& v = row.record;
        SCOPED_TRACE(std::to_string(v.major) + "." + std::to_string(v.minor) + " type " +
                     std::to_string(v.productType) + " suite " + std::to_string(v.suiteMask) + " architecture " +
                     std::to_string(row.architecture));
        FakeFacts facts;
        facts.version = v;
        facts.architecture = row.architecture;
        const std::string name = ProbeWindows(facts).name;
        ASSERT_GE(name.size(), std::string(row.edition).size());
        EXPECT_EQ(name.substr(name.size() - std::string(row.edition).size()), row.edition) << name;
        // Table E asks for none of the workstation metrics.
        for (const std::string& fact : facts.asked)
            EXPECT_TRUE(fact != "metric 86" && fact != "metric 87" && fact != "metric 88") << fact;
    }
}

// ---- NT without the extended record: the ProductOptions word --------------------------

TEST(WindowsVersionLegacyEdition, ProductOptionsWord) {
    struct Row {
        std::optional<std::string> productType;
        const char* name;
    };
    const Row rows[] = {
        {std::string("WinNT"), "Microsoft Windows NT Workstation"},
        {std::string("winnt"), "Microsoft Windows NT Workstation"},
        {std::string("LanmanNT"), "Microsoft Windows NT Server"},
        {std::string("ServerNT"), "Microsoft Windows NT Advanced Server"},
        {std::string("WINNT "), "Microsoft Windows NT Unknown"},
        {std::string("Win"), "Microsoft Windows NT Unknown"},
        {std::string(), "Microsoft Windows NT Unknown"},
        {std::nullopt, "Microsoft Windows NT "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.productType.value_or("(not readable)"));
        FakeFacts facts;
        facts.version = Nt(4, 0, 1, 0, "Service Pack 5", false);
        facts.productOptions = row.productType;
        EXPECT_EQ(ProbeWindows(facts).name, row.name);
        EXPECT_EQ(facts.asked, (Asked{"version", "architecture", "product options"}));
    }
}

TEST(WindowsVersionLegacyEdition, Nt6WithoutExtendedRecordTakesTheLegacyWord) {
    FakeFacts facts;
    facts.version = Nt(6, 1, 1, 0, "", false);
    facts.architecture = arch::kAmd64;
    facts.productOptions = "WinNT";
    // Without the record the product type reads 0, which is not a workstation.
    EXPECT_EQ(ProbeWindows(facts).name, "Microsoft Windows Server 2008 R2 Workstation");
    EXPECT_EQ(facts.asked, (Asked{"version", "architecture", "product options"}));
}

// ---- Service pack: Q246009 -----------------------------------------------------------

TEST(WindowsVersionServicePack, Sp6aOnlyForTheExactNt4Text) {
    struct Row {
        VersionRecord record;
        bool hotfix;
        const char* servicePack;
        bool hotfixAsked;
    };
    const Row rows[] = {
        {Nt(4, 0, 1, 0, "Service Pack 6"), true, "Service Pack 6a", true},
        {Nt(4, 0, 1, 0, "Service Pack 6"), false, "Service Pack 6", true},
        {Nt(4, 0, 1, 0, "Service Pack 6", false), true, "Service Pack 6a", true},
        {Nt(4, 0, 1, 0, "Service Pack 6 "), true, "Service Pack 6 ", false},
        {Nt(4, 0, 1, 0, "service pack 6"), true, "service pack 6", false},
        {Nt(4, 0, 1, 0, "Service Pack 6a"), true, "Service Pack 6a", false},
        {Nt(4, 0, 1, 0, "Service Pack 5"), true, "Service Pack 5", false},
        {Nt(3, 51, 1, 0, "Service Pack 6"), true, "Service Pack 6", false},
        {Nt(5, 0, 1, 0, "Service Pack 6"), true, "Service Pack 6", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.record.major) + " [" + row.record.csdText + "] hotfix " +
                     (row.hotfix ? "yes" : "no"));
        FakeFacts facts;
        facts.version = row.record;
        facts.hotfix = row.hotfix;
        EXPECT_EQ(ProbeWindows(facts).servicePack, row.servicePack);
        const bool asked = !facts.asked.empty() && facts.asked.back() == "hotfix";
        EXPECT_EQ(asked, row.hotfixAsked);
    }
}

// ---- Which facts are asked for, and when ---------------------------------------------

TEST(WindowsVersionFacts, AskedOnlyOnTheirPathInTableOrder) {
    struct Row {
        const char* label;
        std::optional<VersionRecord> record;
        uint16_t architecture;
        Asked asked;
    };
    VersionRecord platform0 = Nt(6, 1, 1);
    platform0.platformId = 0;
    VersionRecord platform3 = Nt(6, 2, 1);
    platform3.platformId = 3;
    const Row rows[] = {
        {"no version", std::nullopt, arch::kX86, {"version"}},
        {"platform 0", platform0, arch::kX86, {"version", "architecture"}},
        {"platform 3", platform3, arch::kX86, {"version", "architecture"}},
        {"98", Win9x(10, 2222, 'A'), arch::kX86, {"version", "architecture"}},
        {"NT 4 SP6", Nt(4, 0, 1, 0, "Service Pack 6"), arch::kX86, {"version", "architecture", "hotfix"}},
        {"NT 4 server SP6", Nt(4, 0, 3, 0, "Service Pack 6"), arch::kX86, {"version", "architecture", "hotfix"}},
        {"NT 4 SP6 basic record", Nt(4, 0, 1, 0, "Service Pack 6", false), arch::kX86,
         {"version", "architecture", "product options", "hotfix"}},
        {"2000 server", Nt(5, 0, 3), arch::kX86, {"version", "architecture"}},
        {"XP", Nt(5, 1, 1), arch::kX86, {"version", "architecture", "metric 88", "metric 87", "metric 86"}},
        {"2003", Nt(5, 2, 3), arch::kX86, {"version", "architecture", "metric 89"}},
        {"XP x64", Nt(5, 2, 1), arch::kAmd64, {"version", "architecture", "metric 89"}},
        {"Vista", Nt(6, 0, 1), arch::kX86, {"version", "architecture", "product name"}},
        {"7", Nt(6, 1, 1), arch::kAmd64, {"version", "architecture", "product name"}},
        {"8", Nt(6, 2, 1), arch::kAmd64, {"version", "architecture", "ver", "product name"}},
        {"8 basic record", Nt(6, 2, 1, 0, "", false), arch::kAmd64, {"version", "architecture", "ver", "product options"}},
        {"8.1", Nt(6, 3, 1), arch::kAmd64, {"version", "architecture", "product name"}},
        {"10 with a manifest", Nt(10, 0, 1), arch::kAmd64, {"version", "architecture"}},
        {"major 7", Nt(7, 0, 3), arch::kAmd64, {"version", "architecture", "ver"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FakeFacts facts;
        facts.version = row.record;
        facts.architecture = row.architecture;
        ProbeWindows(facts);
        EXPECT_EQ(facts.asked, row.asked);
    }
}

TEST(WindowsVersionFacts, UnidentifiedPlatformKeepsTheNamePrefix) {
    FakeFacts facts;
    facts.version = Nt(6, 1, 1);
    facts.version->platformId = 3;
    const ProbeResult probe = ProbeWindows(facts);
    EXPECT_FALSE(probe.identified);
    EXPECT_EQ(probe.name, "Microsoft Windows ");
    EXPECT_EQ(probe.version, "");
    EXPECT_EQ(probe.servicePack, "");
}

TEST(WindowsVersionFacts, NtVersionTextFromTheRecord) {
    FakeFacts facts;
    facts.version = Nt(5, 1, 1, 0, "Service Pack 3", true, 0x12340A28);
    EXPECT_EQ(ProbeWindows(facts).version, "5.1.2600");
}

// ---- Description and flags -----------------------------------------------------------

TEST(WindowsDescriptionText, IncludeVersionSwitchAndBlankTexts) {
    struct Row {
        const char* label;
        const char* version;
        const char* servicePack;
        bool includeVersion;
        const char* description;
    };
    const Row rows[] = {
        {"off, service pack", "6.1.7601", "Service Pack 1", false, "N Service Pack 1"},
        {"off, no service pack", "6.1.7601", "", false, "N"},
        {"off, blank service pack", "6.1.7601", " \t\r\n", false, "N"},
        {"on, both", "6.1.7601", "Service Pack 1", true, "N 6.1.7601 Service Pack 1"},
        {"on, version only", "6.1.7601", "", true, "N 6.1.7601"},
        {"on, blank service pack", "6.1.7601", "  ", true, "N 6.1.7601"},
        {"on, blank version", " \x01 ", "Service Pack 1", true, "N Service Pack 1"},
        {"on, nothing", "", "", true, "N"},
        {"joined untrimmed", " 10.0.19045]", " A ", true, "N  10.0.19045]  A "},
        {"off, untrimmed", " 10.0.19045", " A ", false, "N  A "},
        // Only codes 0 to 32 are blank: 0xA0 is a character of its own.
        {"0xA0 is no blank", "", "\xA0", false, "N \xA0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        ProbeResult probe;
        probe.identified = true;
        probe.name = "N";
        probe.version = row.version;
        probe.servicePack = row.servicePack;
        EXPECT_EQ(sysinfo::DescriptionText(probe, row.includeVersion), row.description);
    }
}

TEST(WindowsDescriptionText, BlankMeansCodes0To32Only) {
    EXPECT_TRUE(sysinfo::IsBlank(std::string("\0 \x1F\x20\t", 5)));
    EXPECT_TRUE(sysinfo::IsBlank(""));
    EXPECT_FALSE(sysinfo::IsBlank(std::string("\0!", 2)));
    EXPECT_FALSE(sysinfo::IsBlank("\xFF"));
}

TEST(WindowsDescriptionFlags, Windows64AndServerFromTheText) {
    struct Row {
        const char* label;
        VersionRecord record;
        uint16_t architecture;
        std::optional<std::string> productName;
        const char* description;
        bool windows64;
        bool server;
    };
    const Row rows[] = {
        {"7 x64", Nt(6, 1, 1, 0, "Service Pack 1"), arch::kAmd64, std::string("Windows 7 Ultimate"),
         "Windows 7 Ultimate 64-bit Service Pack 1", true, false},
        {"2008 R2", Nt(6, 1, 3, 0, "Service Pack 1"), arch::kAmd64, std::string("Windows Server 2008 R2 Enterprise"),
         "Windows Server 2008 R2 Enterprise 64-bit Service Pack 1", true, true},
        {"7 x64, name unreadable", Nt(6, 1, 1, 0, "Service Pack 1"), arch::kAmd64, std::nullopt,
         "Microsoft Windows 7  64-bit Service Pack 1", true, false},
        {"7 x86", Nt(6, 1, 1), arch::kX86, std::string("Windows 7 Starter"), "Windows 7 Starter 32-bit", false,
         false},
        {"empty name", Nt(6, 0, 1), arch::kAmd64, std::string(), " 64-bit", true, false},
        {"architecture 12", Nt(6, 3, 1), kArch12, std::string("Windows 8.1 Pro"), "Windows 8.1 Pro", false, false},
        {"architecture 12, 64 in the name", Nt(6, 3, 1), kArch12, std::string("Windows 8.1 Pro 64"),
         "Windows 8.1 Pro 64", true, false},
        {"x64 without a blank before 64", Nt(5, 2, 1, 0, "Service Pack 2"), arch::kAmd64, std::nullopt,
         "Microsoft Windows XP Professional x64 Service Pack 2", false, false},
        {"Datacenter x64", Nt(5, 2, 3, 0x0080), arch::kAmd64, std::nullopt,
         "Microsoft Windows Server 2003 Datacenter x64", false, true},
        {"Enterprise x64", Nt(5, 2, 3, 0x0002), arch::kAmd64, std::nullopt,
         "Microsoft Windows Server 2003 Enterprise x64", false, true},
        {"Standard x64", Nt(5, 2, 3), arch::kAmd64, std::nullopt, "Microsoft Windows Server 2003 Standard x64", false,
         true},
        {"server in lower case", Nt(6, 1, 3), arch::kX86, std::string("Windows server"), "Windows server 32-bit",
         false, false},
        {"Storage Server", Nt(5, 2, 3, 0x2000, "Service Pack 2"), arch::kX86, std::nullopt,
         "Microsoft Windows Storage Server 2003Standard Service Pack 2", false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FakeFacts facts;
        facts.version = row.record;
        facts.architecture = row.architecture;
        facts.productName = row.productName;
        WindowsFlags flags;
        EXPECT_EQ(DescribeWindows(facts, false, flags), row.description);
        EXPECT_EQ(flags.windows64, row.windows64);
        EXPECT_EQ(flags.server, row.server);
    }
}

TEST(WindowsDescriptionFlags, NoVersionGivesUnknownAndKeepsTheFlags) {
    FakeFacts facts;  // both version queries fail
    WindowsFlags flags;
    EXPECT_EQ(DescribeWindows(facts, true, flags), "unknown");
    EXPECT_FALSE(flags.windows64);
    EXPECT_FALSE(flags.server);

    // A later failed probe leaves the flags of an earlier one but clears the families.
    FakeFacts windows10;
    windows10.version = Nt(10, 0, 3);
    windows10.architecture = arch::kAmd64;
    EXPECT_EQ(DescribeWindows(windows10, false, flags), "Microsoft Windows Server 2016 Unknown Server");
    EXPECT_TRUE(flags.server);
    EXPECT_TRUE(flags.nt6Family);
    EXPECT_TRUE(flags.nt10Family);
    flags.windows64 = true;
    FakeFacts failing;
    EXPECT_EQ(DescribeWindows(failing, false, flags), "unknown");
    EXPECT_TRUE(flags.windows64);
    EXPECT_TRUE(flags.server);
    EXPECT_FALSE(flags.nt6Family);
    EXPECT_FALSE(flags.nt10Family);

    FakeFacts unknownPlatform;
    unknownPlatform.version = Nt(6, 1, 1);
    unknownPlatform.version->platformId = 0;
    EXPECT_EQ(DescribeWindows(unknownPlatform, false, flags), "unknown");
    EXPECT_TRUE(flags.windows64);
}

// ---- Start-up's identification, with "ver" running beside it ------------------------

// A "ver" that notes in the facts' list when it is started and when it is waited for.
class FakeVer final : public sysinfo::VerRun {
public:
    FakeVer(std::string output, Asked& asked) : output_(std::move(output)), asked_(asked) {}
    void Start() override { asked_.push_back("ver started"); }
    std::string Output() override {
        asked_.push_back("ver awaited");
        return output_;
    }

private:
    std::string output_;
    Asked& asked_;
};

TEST(EarlyIdentification, SameTextAndFlagsWaitingOnlyWhereVerShapesTheName) {
    const std::string ver10 = "\r\nMicrosoft Windows [Version 10.0.19045.3803]\r\n";
    struct Row {
        const char* label;
        std::optional<VersionRecord> record;
        uint16_t architecture;
        std::optional<std::string> productName;
        std::string ver;
        bool verStarted;
        bool awaitedAtOnce;
    };
    const Row rows[] = {
        {"10 reporting 6.2", Nt(6, 2, 1), arch::kAmd64, "Windows 10 Pro", ver10, true, false},
        {"server reporting 6.2", Nt(6, 2, 3), arch::kX86, "Windows Server 2019 Standard", ver10, true, false},
        {"8.1 reporting 6.2", Nt(6, 2, 1), arch::kX86, "Windows 8.1", "\r\nMicrosoft Windows [Version 6.3.9600]\r\n",
         true, false},
        {"6.2 without a product name", Nt(6, 2, 1), arch::kAmd64, std::nullopt, ver10, true, true},
        // Only "ver" can put " 64" into this name: the 64-bit Windows flag waits for it.
        {"6.2, x86, a 64 from ver", Nt(6, 2, 1), arch::kX86, std::nullopt, "Microsoft Windows [Version 64.0.1]",
         true, true},
        {"unlisted major 11", Nt(11, 0, 1), arch::kAmd64, "Windows 11", ver10, true, true},
        {"6.2 without the extended record", Nt(6, 2, 1, 0, "", false), arch::kAmd64, "Windows 10", ver10, true, true},
        {"7", Nt(6, 1, 1, 0, "Service Pack 1"), arch::kAmd64, "Windows 7 Professional", "", false, false},
        {"XP", Nt(5, 1, 1, 0, "Service Pack 3"), arch::kX86, std::nullopt, "", false, false},
        {"no version record", std::nullopt, arch::kX86, std::nullopt, "", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FakeFacts waiting;
        waiting.version = row.record;
        waiting.architecture = row.architecture;
        waiting.productName = row.productName;
        waiting.ver = row.ver;
        WindowsFlags expected;
        const std::string description = DescribeWindows(waiting, false, expected);

        FakeFacts facts;
        facts.version = row.record;
        facts.architecture = row.architecture;
        facts.productName = row.productName;
        facts.ver = "asked of the facts";
        FakeVer ver(row.ver, facts.asked);
        WindowsFlags flags;
        sysinfo::EarlyIdentification early(facts, ver);
        EXPECT_EQ(early.Describe(flags), description);
        EXPECT_EQ(flags.windows64, expected.windows64);
        EXPECT_EQ(flags.server, expected.server);
        const bool awaited = std::count(facts.asked.begin(), facts.asked.end(), "ver awaited") > 0;
        EXPECT_EQ(awaited, row.awaitedAtOnce);

        early.Complete(flags);
        EXPECT_EQ(flags.nt6Family, expected.nt6Family);
        EXPECT_EQ(flags.nt10Family, expected.nt10Family);
        early.Complete(flags);
        // Each fact asked once, in the order of the waiting probe; "ver" started where
        // that probe asked for it, and waited for once.
        Asked order;
        for (const std::string& fact : facts.asked)
            if (fact != "ver awaited") order.push_back(fact == "ver started" ? "ver" : fact);
        EXPECT_EQ(order, waiting.asked);
        EXPECT_EQ(std::count(facts.asked.begin(), facts.asked.end(), "ver awaited"), row.verStarted ? 1 : 0);
    }
}

}  // namespace
}  // namespace sysinfo_test
