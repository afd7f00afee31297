#!/usr/bin/env bash
# Builds the benchmarks of one flavour (default x86-8bit) and runs each under Wine,
# printing their figures:   scripts/bench.sh [--flavour F]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/flavours.sh
flavour_option "$@"
arch=$(flavour_arch "$flavour")
scripts/build.sh "$flavour"
# Everything on one CPU, the wineserver included: a message that asks the server
# (GetWindow) otherwise pays for waking it on the other CPU, which varies from run
# to run by a factor of two and hides what our own code costs.
exec taskset -c 0 bash -c '
  source scripts/wine-env.sh "$1"
  echo "bench: $2"
  for bench in "build/$2"/bench/*_bench.exe; do
    scripts/wine-run.sh "$1" "$bench"
  done' bench "$arch" "$flavour"
