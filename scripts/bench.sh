#!/usr/bin/env bash
# Builds the benchmarks of one flavour (default x86-8bit) and runs each under Wine,
# printing their figures:   scripts/bench.sh [--flavour F]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/flavours.sh
flavour=x86-8bit
if [ "${1:-}" == "--flavour" ]; then
  flavour=${2:?--flavour needs x86-8bit, x86-utf16 or x64-utf16}
fi
flavour_check "$flavour"
arch=$(flavour_arch "$flavour")
scripts/build.sh "$flavour"
source scripts/wine-env.sh "$arch"
echo "bench: $flavour"
for bench in "build/$flavour"/bench/*_bench.exe; do
  scripts/wine-run.sh "$arch" "$bench"
done
