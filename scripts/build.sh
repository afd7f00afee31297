#!/usr/bin/env bash
# Setup, configure (once) and build into build/; arguments go to `cmake --build`,
# e.g. `--target orrindel-preview`. The other scripts start with it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build -j "$(nproc)" "$@"
