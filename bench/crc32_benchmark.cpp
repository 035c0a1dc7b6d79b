// Throughput of the self-check's CRC-32 (folding where the processor can), natively (the setup's own timings here are of
// emulated 32-bit code). Google Benchmark prints bytes per second for each size; the
// largest is the package's.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "payload/checksum.h"

namespace {

void Crc32Throughput(benchmark::State& state) {
    std::vector<unsigned char> bytes(static_cast<size_t>(state.range(0)));
    uint32_t seed = 20261209;
    for (unsigned char& b : bytes) b = static_cast<unsigned char>((seed = seed * 1664525u + 1013904223u) >> 24);
    for (auto _ : state) benchmark::DoNotOptimize(Crc32(bytes.data(), bytes.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

}  // namespace

BENCHMARK(Crc32Throughput)->Arg(4096)->Arg(1 << 20)->Arg(23767588)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
