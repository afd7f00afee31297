#!/usr/bin/env bash
# Setup, configure (once per flavour) and build into build/<flavour>/. With no
# flavour named it builds all three; arguments after `--` go to `cmake --build`:
#   scripts/build.sh [FLAVOUR...] [-- --target orrindel-preview]
# The other scripts start with it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/flavours.sh
flavours=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  flavour_check "$1"
  flavours+=("$1")
  shift
done
[ $# -gt 0 ] && shift
[ ${#flavours[@]} -gt 0 ] || flavours=("${ORRINDEL_FLAVOURS[@]}")

scripts/setup.sh
orrindel_source_date
for flavour in "${flavours[@]}"; do
  if [ ! -f "build/$flavour/CMakeCache.txt" ]; then
    cmake -S . -B "build/$flavour" -DCMAKE_TOOLCHAIN_FILE="$(flavour_toolchain "$flavour")" \
      -DORRINDEL_FLAVOUR="$flavour" -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  echo "build: $flavour"
  cmake --build "build/$flavour" -j "$(nproc)" "$@"
done
