#!/usr/bin/env bash
# Runs one Windows program under Wine with the project's prefix and display, for
# ctest (CMAKE_CROSSCOMPILING_EMULATOR) and the other scripts:
#   scripts/wine-run.sh win32|win64 program.exe [arguments]
# scripts/wine-env.sh, sourced for the same architecture, sets up what this expects.
#
# The program's output goes through a file: Wine's own background processes
# (services, the desktop) may start from any program and keep its output open, and
# a caller reading a pipe to its end would then wait for them forever.
set -uo pipefail
arch=${1:?usage: wine-run.sh win32|win64 program.exe [arguments]}
shift
if [ "${ORRINDEL_WINE_ARCH:-}" != "$arch" ]; then
  echo "wine-run: a $arch program needs 'source scripts/wine-env.sh $arch' first" \
    "(scripts/test.sh does that)" >&2
  exit 1
fi
log=$(mktemp)
"$ORRINDEL_WINE_LOADER" "$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
rm -f "$log"
exit $status
