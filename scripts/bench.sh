#!/usr/bin/env bash
# Builds the benchmarks and runs each under Wine, printing their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build -j "$(nproc)" >/dev/null
export ORRINDEL_BUILD=build
source scripts/wine-env.sh
for bench in build/bench/*_bench.exe; do
  scripts/wine-run.sh "$bench"
done
