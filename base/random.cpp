#include "base/random.h"

namespace {
uint32_t randomState = 1;
}  // namespace

void SeedRandom(uint32_t seed) {
    // xorshift32 stays at zero once there.
    randomState = seed != 0 ? seed : 0x9E3779B9u;
}

unsigned Random(unsigned range) {
    // xorshift32: any uniform choice serves the temporary file names.
    randomState ^= randomState << 13;
    randomState ^= randomState >> 17;
    randomState ^= randomState << 5;
    return static_cast<unsigned>((static_cast<uint64_t>(randomState) * range) >> 32);
}
