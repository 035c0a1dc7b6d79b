// The version of an installed language file: the line after its first [langver] line,
// read from the file through a source that hands over the bytes in pieces of any size
// and can fail at any read.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "payload/version_rules.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

class PiecewiseSource final : public ByteSource {
public:
    PiecewiseSource(const std::string& content, std::vector<size_t> pieces, size_t failingRead)
        : content_(content), pieces_(std::move(pieces)), failingRead_(failingRead) {}

    bool Read(char* buffer, size_t capacity, size_t& got) override {
        starts.push_back(position_);
        if (starts.size() - 1 == failingRead_) return false;
        const size_t piece = pieces_.empty() ? capacity : pieces_[(starts.size() - 1) % pieces_.size()];
        got = std::min({capacity, piece, content_.size() - position_});
        std::memcpy(buffer, content_.data() + position_, got);
        position_ += got;
        return true;
    }

    std::vector<size_t> starts;  // the offset at which each read began

private:
    const std::string& content_;
    std::vector<size_t> pieces_;
    size_t failingRead_;
    size_t position_ = 0;
};

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

struct Expected {
    std::optional<int32_t> version;
    size_t lastNeeded;  // the offset of the last byte the reading needs: the value line's end
};

// The lines of the whole text, cut where a line ends (CR LF being one ending).
Expected Reference(const std::string& text) {
    size_t at = 0;
    bool section = false;
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size() && !IsLineEnd(text[end])) ++end;
        const std::string line = text.substr(at, end - at);
        if (section) {
            if (line.size() > kLanguageLineKeep) return {std::nullopt, end};
            return {ParseIntegerText(line), end};
        }
        std::string lowered = line.substr(0, 9);
        for (char& c : lowered)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        section = lowered == "[langver]";
        at = end;
        if (at < text.size() && text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
        if (at < text.size()) ++at;
    }
    // No [langver] line: 0. One at the very end: an empty value line, no number.
    return {section ? std::nullopt : std::optional<int32_t>(0), text.size()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    std::vector<size_t> pieces(provider.ConsumeIntegralInRange<size_t>(0, 4));
    for (size_t& piece : pieces) piece = provider.ConsumeIntegralInRange<size_t>(1, 5000);
    const size_t failingRead = provider.ConsumeIntegralInRange<size_t>(0, 40);
    const std::string content = provider.ConsumeRemainingBytesAsString();
    const Expected expected = Reference(content);

    PiecewiseSource whole(content, pieces, SIZE_MAX);
    FUZZ_CHECK(ReadLanguageVersion(whole) == expected.version);
    // Reading stops at the value line: no read begins behind its end.
    for (size_t start : whole.starts) FUZZ_CHECK(start <= expected.lastNeeded);

    // A failing read before the reading is done makes the file unreadable; the reads
    // that come first are the same as without the failure.
    PiecewiseSource failing(content, pieces, failingRead);
    const std::optional<int32_t> version = ReadLanguageVersion(failing);
    FUZZ_CHECK(version == (failingRead < whole.starts.size() ? std::nullopt : expected.version));
    return 0;
}
