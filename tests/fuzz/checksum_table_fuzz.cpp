// The self-check table, read from the setup file itself: a damaged or doctored file
// must be refused, never read past its end.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "payload/checksum.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr size_t kHeader = 12;  // "TWSUMS01" and the count
constexpr size_t kEntry = 56;   // name[32], type[16], size, crc

void PutLe32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutField(std::string& out, const std::string& text, size_t width) {
    out += text;
    out.append(width - text.size(), '\0');
}

std::string Write(const std::vector<PayloadChecksum>& table) {
    std::string out = "TWSUMS01";
    PutLe32(out, static_cast<uint32_t>(table.size()));
    for (const PayloadChecksum& c : table) {
        PutField(out, c.name, 32);
        PutField(out, c.type, 16);
        PutLe32(out, c.size);
        PutLe32(out, c.crc);
    }
    return out;
}

// The input with every byte behind the first NUL of a name or type field set to NUL:
// what a table holds once it is read.
std::string Canonical(const uint8_t* data, size_t size) {
    std::string out(reinterpret_cast<const char*>(data), size);
    for (size_t entry = kHeader; entry + kEntry <= size; entry += kEntry)
        for (const auto& [from, width] : {std::pair<size_t, size_t>{0, 32}, {32, 16}}) {
            const size_t end = entry + from + width;
            size_t i = entry + from;
            while (i < end && out[i] != '\0') ++i;
            for (; i < end; ++i) out[i] = '\0';
        }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of its own, so that AddressSanitizer sees every read past the end.
    std::vector<uint8_t> bytes(data, data + size);
    const auto table = ParseChecksumTable(bytes.data(), bytes.size());
    if (!table) return 0;

    FUZZ_CHECK(!table->empty());
    FUZZ_CHECK(size == kHeader + table->size() * kEntry);
    FUZZ_CHECK(std::memcmp(data, "TWSUMS01", 8) == 0);
    for (const PayloadChecksum& c : *table) {
        FUZZ_CHECK(!c.name.empty() && c.name.size() <= 32 && c.name.find('\0') == std::string::npos);
        FUZZ_CHECK(!c.type.empty() && c.type.size() <= 16 && c.type.find('\0') == std::string::npos);
    }
    const std::string written = Write(*table);
    FUZZ_CHECK(written == Canonical(data, size));
    const auto again = ParseChecksumTable(written.data(), written.size());
    FUZZ_CHECK(again && again->size() == table->size());
    for (size_t i = 0; i < table->size(); ++i) {
        const PayloadChecksum& a = (*table)[i];
        const PayloadChecksum& b = (*again)[i];
        FUZZ_CHECK(a.name == b.name && a.type == b.type && a.size == b.size && a.crc == b.crc);
    }
    return 0;
}
