#!/usr/bin/env bash
# The self-check's CRC-32 throughput, natively with Google Benchmark (libbenchmark-dev),
# built with the optimisation the setup programs get (-Os) and with -O2 for comparison.
set -euo pipefail
cd "$(dirname "$0")/.."
dpkg -s libbenchmark-dev >/dev/null 2>&1 || DEBIAN_FRONTEND=noninteractive apt-get install -y -q libbenchmark-dev
mkdir -p build/bench-crc
for level in Os O2; do
  g++ -std=c++17 "-$level" -I. bench/crc32_benchmark.cpp payload/checksum.cpp -lbenchmark -lpthread \
      -o "build/bench-crc/crc32_benchmark-$level"
  echo "== -$level"
  "build/bench-crc/crc32_benchmark-$level" --benchmark_min_time=0.5
done
