// The temporary copy's name beside the target, and the choice of the version probe,
// over target paths that come from the install folder found in the registry.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "payload/extract_rules.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the kind; the rest is the target path.
    static const char* const kinds[] = {"pak", "3bs", "lng", "cok", "PAK", "Lng", "exe", ""};
    const std::string kind = size > 0 ? kinds[data[0] % 8] : "pak";
    const std::string path = size > 0 ? std::string(reinterpret_cast<const char*>(data) + 1, size - 1) : "";

    const std::string temporary = TemporaryName(path);
    FUZZ_CHECK(temporary.size() == path.size() + 1);
    FUZZ_CHECK(std::count(temporary.begin(), temporary.end(), '~') ==
               std::count(path.begin(), path.end(), '~') + 1);

    // Where the "~" went: the first place at which the two texts part.
    size_t at = 0;
    while (at < path.size() && temporary[at] == path[at]) ++at;
    // A run of "~" makes the first difference later than the insertion; step back over it.
    while (at > 0 && path[at - 1] == '~') --at;
    FUZZ_CHECK(temporary[at] == '~');
    FUZZ_CHECK(temporary.substr(0, at) + temporary.substr(at + 1) == path);
    // Behind the last backslash before the final character, or at the start when none.
    size_t expected = 0;
    for (size_t i = 0; i + 1 < path.size(); ++i)
        if (path[i] == '\\') expected = i + 1;
    FUZZ_CHECK(at == expected);

    // The temporary copy is probed like the target it replaces.
    FUZZ_CHECK(VersionedKindOf(kind, temporary) == VersionedKindOf(kind, path));
    const bool compared = kind == "pak" || kind == "3bs" || kind == "cok" ||
                          (kind == "lng" && path.find('!') == std::string::npos);
    FUZZ_CHECK((VersionedKindOf(kind, path) != VersionedKind::None) == compared);
    return 0;
}
