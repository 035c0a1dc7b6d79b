// The 32-bit view's key path, built from the uninstall root that the build names.
#include <cstddef>
#include <cstdint>
#include <string>

#include "setup/paths.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    const std::string node = "WOW6432Node\\";
    const std::string redirected = Wow6432Path(path);
    const size_t first = path.find('\\');
    if (first == std::string::npos) {
        FUZZ_CHECK(redirected == path);
        return 0;
    }
    FUZZ_CHECK(redirected.size() == path.size() + node.size());
    FUZZ_CHECK(redirected.find('\\') == first);
    FUZZ_CHECK(redirected.compare(first + 1, node.size(), node) == 0);
    FUZZ_CHECK(redirected.substr(0, first + 1) + redirected.substr(first + 1 + node.size()) == path);
    return 0;
}
