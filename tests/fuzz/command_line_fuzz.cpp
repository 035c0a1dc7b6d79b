// The command line of the process as Windows hands it over, split the way the runtime
// splits it, and the lower-casing of parameter 1 at start-up.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "base/command_line.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// All parameters in one pass: a blank (code 32 or below) outside quotes ends a
// parameter, a quote toggles quoting and is dropped.
std::vector<std::string> SplitOnce(const std::string& line) {
    std::vector<std::string> parameters;
    bool inParameter = false;
    bool quoted = false;
    for (char c : line) {
        const bool blank = static_cast<unsigned char>(c) <= ' ';
        if (!inParameter) {
            if (blank) continue;
            parameters.emplace_back();
            inParameter = true;
            quoted = false;
        }
        if (c == '"')
            quoted = !quoted;
        else if (blank && !quoted)
            inParameter = false;
        else
            parameters.back() += c;
    }
    return parameters;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> expected = SplitOnce(line);
    for (size_t i = 0; i <= expected.size(); ++i) {
        const std::string parameter = CommandLineParameter(line, static_cast<int>(i));
        FUZZ_CHECK(parameter == (i < expected.size() ? expected[i] : std::string()));
        FUZZ_CHECK(parameter.find('"') == std::string::npos);
    }
    FUZZ_CHECK(CommandLineParameter(line, -1).empty());

    const std::string first = CommandLineParameter(line, 1);
    const std::string lowered = LowerAscii(first);
    FUZZ_CHECK(lowered.size() == first.size());
    for (size_t i = 0; i < first.size(); ++i) {
        const char c = first[i];
        FUZZ_CHECK(lowered[i] == (c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c));
    }
    FUZZ_CHECK(LowerAscii(lowered) == lowered);
    return 0;
}
