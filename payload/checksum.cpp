#include "payload/checksum.h"

#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#endif

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

#if defined(__i386__) || defined(__x86_64__)
#define SETUP_CRC32_FOLDING 1

// One 128-bit lane carried the folding distance forward and joined with the next data.
__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), _mm_clmulepi64_si128(x, k, 0x00)), next);
}

// Folding with carry-less multiplication (PCLMULQDQ), four 128-bit lanes at a time,
// then a Barrett reduction to 32 bits: several times the table's speed, so that the
// check at every start costs about what reading the payload costs. The constants are
// the bit-reflected x^n mod P(x) of the ZIP polynomial that the folding distances
// need. `c` is the running (inverted) state; `size` is at least 64 and a multiple of 16.
__attribute__((target("pclmul,sse4.1"))) uint32_t FoldCrc32(const unsigned char* p, size_t size, uint32_t c) {
    alignas(16) static const uint64_t k1k2[2] = {0x0154442bd4u, 0x01c6e41596u};
    alignas(16) static const uint64_t k3k4[2] = {0x01751997d0u, 0x00ccaa009eu};
    alignas(16) static const uint64_t k5k0[2] = {0x0163cd6124u, 0};
    alignas(16) static const uint64_t poly[2] = {0x01db710641u, 0x01f7011641u};

    __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    __m128i x3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    __m128i x4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
    x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(static_cast<int>(c)));
    __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(k1k2));
    p += 64;
    size -= 64;
    while (size >= 64) {
        x1 = Fold(x1, k, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        x2 = Fold(x2, k, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
        x3 = Fold(x3, k, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)));
        x4 = Fold(x4, k, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)));
        p += 64;
        size -= 64;
    }
    k = _mm_load_si128(reinterpret_cast<const __m128i*>(k3k4));
    x1 = Fold(x1, k, x2);
    x1 = Fold(x1, k, x3);
    x1 = Fold(x1, k, x4);
    while (size >= 16) {
        x1 = Fold(x1, k, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        p += 16;
        size -= 16;
    }

    // 128 bits to 64.
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
    x2 = _mm_clmulepi64_si128(x1, k, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
    k = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(k5k0));
    x2 = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k, 0x00), x2);

    // Barrett reduction to 32 bits.
    k = _mm_load_si128(reinterpret_cast<const __m128i*>(poly));
    x2 = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), k, 0x10);
    x2 = _mm_clmulepi64_si128(_mm_and_si128(x2, low32), k, 0x00);
    x1 = _mm_xor_si128(x1, x2);
    return static_cast<uint32_t>(_mm_extract_epi32(x1, 1));
}

// Asked once: every processor since 2010 has both, older ones take the tables.
bool CanFold() {
    static const bool can = [] {
        unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
        if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
        return (ecx & bit_PCLMUL) != 0 && (ecx & bit_SSE4_1) != 0;
    }();
    return can;
}
#endif

}  // namespace

uint32_t Crc32(const void* data, size_t size, uint32_t crc) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint32_t c = ~crc;
#ifdef SETUP_CRC32_FOLDING
    if (size >= 64 && CanFold()) {
        const size_t folded = size & ~static_cast<size_t>(15);
        c = FoldCrc32(p, folded, c);
        p += folded;
        size -= folded;
    }
#endif
    const Crc32Tables& tb = Tables();
    // Slicing by eight: the rest, or all of it on a processor that cannot fold.
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
