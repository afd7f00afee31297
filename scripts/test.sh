#!/usr/bin/env bash
# The whole test suite: setup, configure, build, and every test program under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build -j "$(nproc)"
export ORRINDEL_BUILD=build
source scripts/wine-env.sh
ctest --test-dir build --output-on-failure "$@"
