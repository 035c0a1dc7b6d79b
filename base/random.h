// The program's pseudo-random generator: seeded once at start-up, used on the main
// thread only.
#pragma once

#include <cstdint>

void SeedRandom(uint32_t seed);

// Uniform in [0, range).
unsigned Random(unsigned range);
