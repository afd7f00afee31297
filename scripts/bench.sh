#!/usr/bin/env bash
# Builds the benchmarks and runs each under Wine, printing their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
export ORRINDEL_BUILD=build
source scripts/wine-env.sh
for bench in build/bench/*_bench.exe; do
  scripts/wine-run.sh "$bench"
done
