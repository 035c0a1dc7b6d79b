// The Windows identification over whatever the command interpreter's "ver" printed:
// the version word and the version text are copies from the positions of markers in
// that output, which a replaced "ComSpec" or a localised Windows can make anything.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sysinfo/version_rules.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/sysinfo/fake_facts.h"

namespace {

// 1-based position of the first occurrence, 0 when absent.
long At(const std::string& o, const char* marker) {
    const size_t found = o.find(marker);
    return found == std::string::npos ? 0 : static_cast<long>(found) + 1;
}

// `count` characters from the 1-based `from`: nothing when the count is not positive or
// `from` lies past the end, from the start when `from` is below 1, up to the end at most.
std::string CopyOf(const std::string& o, long from, long count) {
    if (count <= 0 || from > static_cast<long>(o.size())) return "";
    if (from < 1) from = 1;
    std::string copy;
    for (long i = from; i < from + count && i <= static_cast<long>(o.size()); ++i) copy += o[i - 1];
    return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte: the product type, and whether this is 6.2 or a major no table names.
    static const uint32_t majors[] = {6, 11, 0, 7};
    const uint8_t productType = (data[0] & 1) ? 1 : 3;
    const uint32_t major = majors[(data[0] >> 1) & 3];
    const uint32_t minor = major == 6 ? 2 : 0;
    const std::string o(reinterpret_cast<const char*>(data) + 1, size - 1);

    sysinfo_test::FakeFacts facts;
    // Without the extended record no edition word follows: the name ends with the version word.
    sysinfo::VersionRecord record = sysinfo_test::Nt(major, minor, productType, 0, "", false, 9200);
    record.productType = productType;
    facts.version = record;
    facts.ver = o;
    const sysinfo::ProbeResult probe = sysinfo::ProbeWindows(facts);

    const bool workstation = productType == 1;
    std::string word;
    long start;
    bool nt10 = major != 6;
    if (major == 6 && At(o, " 6.2") != 0) {
        word = workstation ? "8 " : "Server 2012 ";
        start = At(o, " 6.2");
    } else if (major == 6 && At(o, " 6.3") != 0) {
        word = workstation ? "8.1 " : "Server 2012 R2 ";
        start = At(o, " 6.3");
    } else if (major == 6 && At(o, " 10") != 0) {
        nt10 = true;
        word = workstation ? "10 " : "Server 10 ";
        start = At(o, " 10");
    } else {
        start = At(o, "ion") + 4;
        word = (workstation ? "" : "Server ") + CopyOf(o, start, At(o, ".") - start) + " ";
    }
    std::string version = CopyOf(o, start, At(o, "]") - start);
    if (version.empty()) version = std::to_string(major) + "." + std::to_string(minor) + ".9200";

    FUZZ_CHECK(probe.identified);
    FUZZ_CHECK(probe.name == "Microsoft Windows " + word);
    FUZZ_CHECK(probe.version == version);
    FUZZ_CHECK(probe.nt6Family == (major == 6));
    FUZZ_CHECK(probe.nt10Family == nt10);
    FUZZ_CHECK(probe.servicePack.empty());

    sysinfo::WindowsFlags flags;
    const std::string description = sysinfo::DescribeWindows(facts, true, flags);
    FUZZ_CHECK(description == (sysinfo::IsBlank(version) ? probe.name : probe.name + " " + version));
    FUZZ_CHECK(flags.windows64 == (description.find(" 64") != std::string::npos));
    return 0;
}
