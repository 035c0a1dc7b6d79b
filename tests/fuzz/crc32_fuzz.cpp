// The CRC of the self-check (folding with carry-less multiplication from 64 bytes on,
// where the processor has it, and slicing by eight for the rest) against the
// one-bit-at-a-time definition, over every length and split, so that the folded
// blocks, the eight-byte steps and the tail agree.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "payload/checksum.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

uint32_t BitwiseCrc32(const uint8_t* p, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        FUZZ_CHECK(Crc32(data, 0) == 0);
        return 0;
    }
    // The first byte chooses where the data is split and how it is misaligned.
    const size_t split = data[0] % size;
    const size_t offset = (data[0] >> 4) & 7;
    std::vector<uint8_t> shifted(offset + size);
    std::copy(data, data + size, shifted.begin() + offset);
    const uint8_t* p = shifted.data() + offset;

    const uint32_t whole = Crc32(p, size);
    FUZZ_CHECK(whole == BitwiseCrc32(data, size));
    FUZZ_CHECK(Crc32(p + split, size - split, Crc32(p, split)) == whole);
    return 0;
}
