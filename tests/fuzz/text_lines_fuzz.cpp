// The captured output file read as a text file, line by line, whatever the interpreter
// wrote into it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sysinfo/console_text.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    const std::string joined = sysinfo::JoinTextLines(content);

    // Line ends in the content: CR LF counts once; a last line without one still counts,
    // and so does the single read of an empty file.
    size_t ends = 0;
    std::string characters;
    for (size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c == '\r' || c == '\n') {
            ++ends;
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
        } else {
            characters += c;
        }
    }
    const bool openLine = content.empty() || (content.back() != '\r' && content.back() != '\n');
    const size_t lines = ends + (openLine ? 1 : 0);

    // Every CR of the result is the start of a CR LF, every LF the end of one.
    size_t pairs = 0;
    std::string kept;
    for (size_t i = 0; i < joined.size(); ++i) {
        if (joined[i] == '\r') {
            FUZZ_CHECK(i + 1 < joined.size() && joined[i + 1] == '\n');
            ++pairs;
            ++i;
        } else {
            FUZZ_CHECK(joined[i] != '\n');
            kept += joined[i];
        }
    }
    FUZZ_CHECK(joined.size() >= 2 && joined.compare(joined.size() - 2, 2, "\r\n") == 0);
    FUZZ_CHECK(pairs == lines);
    FUZZ_CHECK(kept == characters);
    FUZZ_CHECK(sysinfo::JoinTextLines(joined) == joined);
    return 0;
}
