#include "payload/checksum.h"

#include <cstring>

namespace {

struct Crc32Tables {
    uint32_t t[8][256];
};

// Computed at first use rather than carried in the program (8 KiB; MinGW places even
// zero-filled data in the file once data sections are split). The check runs on the
// main thread only.
const Crc32Tables& Tables() {
    static Crc32Tables* tables = nullptr;
    if (tables == nullptr) {
        auto* fresh = new Crc32Tables;
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            fresh->t[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i)
            for (int s = 1; s < 8; ++s) fresh->t[s][i] = (fresh->t[s - 1][i] >> 8) ^ fresh->t[0][fresh->t[s - 1][i] & 0xFF];
        tables = fresh;
    }
    return *tables;
}

uint32_t ReadLe32(const unsigned char* p) {
    return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

std::string FixedText(const unsigned char* p, size_t width) {
    size_t length = 0;
    while (length < width && p[length] != 0) ++length;
    return std::string(reinterpret_cast<const char*>(p), length);
}

constexpr char kMagic[8] = {'T', 'W', 'S', 'U', 'M', 'S', '0', '1'};
constexpr size_t kNameWidth = 32;
constexpr size_t kTypeWidth = 16;
constexpr size_t kEntrySize = kNameWidth + kTypeWidth + 8;

}  // namespace

uint32_t Crc32(const void* data, size_t size, uint32_t crc) {
    const Crc32Tables& tb = Tables();
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint32_t c = ~crc;
    // Slicing by eight: the check reads the whole payload once at every start.
    while (size >= 8) {
        const uint32_t lo = c ^ ReadLe32(p);
        const uint32_t hi = ReadLe32(p + 4);
        c = tb.t[7][lo & 0xFF] ^ tb.t[6][(lo >> 8) & 0xFF] ^ tb.t[5][(lo >> 16) & 0xFF] ^ tb.t[4][lo >> 24] ^
            tb.t[3][hi & 0xFF] ^ tb.t[2][(hi >> 8) & 0xFF] ^ tb.t[1][(hi >> 16) & 0xFF] ^ tb.t[0][hi >> 24];
        p += 8;
        size -= 8;
    }
    while (size-- > 0) c = tb.t[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
}

std::optional<std::vector<PayloadChecksum>> ParseChecksumTable(const void* data, size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    if (data == nullptr || size < sizeof kMagic + 4 || std::memcmp(p, kMagic, sizeof kMagic) != 0) return std::nullopt;
    const uint32_t count = ReadLe32(p + sizeof kMagic);
    const size_t body = size - sizeof kMagic - 4;
    if (count == 0 || count > body / kEntrySize || body != count * kEntrySize) return std::nullopt;
    std::vector<PayloadChecksum> table;
    const unsigned char* entry = p + sizeof kMagic + 4;
    for (uint32_t i = 0; i < count; ++i, entry += kEntrySize) {
        PayloadChecksum c{FixedText(entry, kNameWidth), FixedText(entry + kNameWidth, kTypeWidth),
                          ReadLe32(entry + kNameWidth + kTypeWidth), ReadLe32(entry + kNameWidth + kTypeWidth + 4)};
        if (c.name.empty() || c.type.empty()) return std::nullopt;
        table.push_back(std::move(c));
    }
    return table;
}
