// The line reader under the language file probe, over any bytes in pieces of any size:
// the same lines as a cut of the whole text at its line ends, each kept up to its limit.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "payload/version_rules.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

class PiecewiseSource final : public ByteSource {
public:
    PiecewiseSource(const std::string& content, size_t piece) : content_(content), piece_(piece) {}

    bool Read(char* buffer, size_t capacity, size_t& got) override {
        FUZZ_CHECK(!ended_);  // nothing is asked for once the end was reported
        got = std::min({capacity, piece_, content_.size() - position_});
        std::memcpy(buffer, content_.data() + position_, got);
        position_ += got;
        ended_ = got == 0;
        return true;
    }

private:
    const std::string& content_;
    size_t piece_;
    size_t position_ = 0;
    bool ended_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    const size_t piece = provider.ConsumeIntegralInRange<size_t>(1, 5000);
    const size_t keep = provider.ConsumeIntegralInRange<size_t>(0, 40);
    const std::string content = provider.ConsumeRemainingBytesAsString();

    std::vector<std::string> lines;
    for (size_t at = 0; at < content.size();) {
        const size_t end = std::min(content.find_first_of("\r\n", at), content.size());
        lines.push_back(content.substr(at, end - at));
        at = end;
        if (at < content.size() && content.compare(at, 2, "\r\n") == 0) ++at;
        if (at < content.size()) ++at;
    }

    PiecewiseSource source(content, piece);
    TextLineReader reader(source, keep);
    std::string line;
    bool cut = false;
    for (const std::string& expected : lines) {
        FUZZ_CHECK(reader.ReadLine(line, cut) == TextLineReader::Result::Line);
        FUZZ_CHECK(line == expected.substr(0, keep));
        FUZZ_CHECK(cut == (expected.size() > keep));
    }
    FUZZ_CHECK(reader.ReadLine(line, cut) == TextLineReader::Result::End);
    FUZZ_CHECK(line.empty() && !cut);
    return 0;
}
